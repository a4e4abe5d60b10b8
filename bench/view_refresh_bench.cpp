// The main window's cost per handled datagram, view and tray refresh
// included, with 1,000 servers listed against 10. The views follow the
// servers that changed instead of being rebuilt, so a long list must not make
// each reply dearer.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/Unit1.h"
#include "app/dm.h"
#include "util/app_dir.h"

namespace {

const std::string kReply = "\xFF\xFF\xFF\xFFstatusResponse\n"
                           "\\sv_hostname\\Bench Arena\\mapname\\q3dm17\\fraglimit\\20"
                           "\\sv_maxclients\\16\n"
                           "12 50 \"Bob\"\n3 80 \"Eve\"\n";

std::string HostOf(int index) {
  return "127.1." + std::to_string(index / 250) + "." + std::to_string(index % 250 + 1);
}

struct TFigures {
  double fillMs = 0;        // the first pass: every server's first answer
  double perDatagramNs = 0; // then: one more answer of a listed server
  double passEndMs = 0;     // the end of the pass: every server commits
};

TFigures Measure(int servers, int datagrams) {
  QTemporaryDir home;
  SetProgramFolder(home.path().toStdString());
  // A loopback broadcast address: every sender passes the routing test and
  // the pass never ends early, so one pass takes all the replies.
  std::ofstream(home.filePath("skarvel.ini").toStdString())
      << "[Appearance]\nStartInTray=0\n[Network]\nCheckUpdates=0\n"
         "[Address]\n127.255.255.255,q3=1\n";
  Tdm dm(0.0);
  TFigures figures;
  {
    TfrmMain window(dm);
    TPollEngine& engine = window.Monitor().Engine;
    const auto reply = [&](const std::string& host) {
      engine.UDPDataReceived(static_cast<int32_t>(kReply.size()), host, 27960, kReply);
    };
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < servers; ++i)
      reply(HostOf(i));
    figures.fillMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    const std::string last = HostOf(servers - 1);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < datagrams; ++i)
      reply(last);
    figures.perDatagramNs =
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
        datagrams;
    start = std::chrono::steady_clock::now();
    while (engine.Polling())
      engine.tmSubTimer();
    figures.passEndMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (window.Monitor().Servers.Count() != servers)
      std::fprintf(stderr, "expected %d servers, have %d\n", servers,
                   window.Monitor().Servers.Count());
    window.EndSession();
  }
  QDir::setCurrent(QDir::tempPath());
  return figures;
}

} // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  const int datagrams = 100000;
  Measure(10, datagrams / 10); // warm-up
  const TFigures small = Measure(10, datagrams);
  const TFigures large = Measure(1000, datagrams);
  std::printf("per datagram, views and tray included: %.0f ns with 10 servers, %.0f ns with 1000\n",
              small.perDatagramNs, large.perDatagramNs);
  std::printf("ratio 1000/10: %.2f (target at most 3)\n",
              large.perDatagramNs / small.perDatagramNs);
  std::printf("first answers of all servers in one pass: %.1f ms for 10, %.1f ms for 1000\n",
              small.fillMs, large.fillMs);
  std::printf("end of that pass, every server committing: %.1f ms for 10, %.1f ms for 1000\n",
              small.passEndMs, large.passEndMs);
  return 0;
}
