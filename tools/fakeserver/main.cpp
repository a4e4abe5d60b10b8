#include "tools/fakeserver/EmulatorLoop.h"
#include "tools/fakeserver/EmulatorOptions.h"
#include "tools/fakeserver/StopSignal.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
  const ParsedOptions parsed =
      ParseEmulatorOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    std::cerr << "skarvel-fakeserver: " << parsed.error << "\nTry --help.\n";
    return 2;
  }
  if (parsed.options.help) {
    std::cout << EmulatorUsage();
    return 0;
  }
  try {
    StopSignal stop;
    EmulatorLoop loop(parsed.options);
    for (const std::string& line : loop.ReadyLines())
      std::cout << line << '\n';
    std::cout.flush();
    loop.Run(stop.Fd());
  } catch (const std::exception& error) {
    std::cerr << "skarvel-fakeserver: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
