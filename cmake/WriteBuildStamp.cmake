# Writes the build's date and time as a constant; run at every build so the
# stamp is the time the program was built. Honours SOURCE_DATE_EPOCH.
string(TIMESTAMP _now "%s" UTC)
file(WRITE "${OUT}.tmp" "// Generated at build time.\n#include \"util/build_stamp.h\"\n\n#include \"util/datetime.h\"\n\nTDateTime BuildStamp() { return DateTimeFromUnix(${_now}); }\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
