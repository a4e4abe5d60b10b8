// The yardstick for the window's weight: an empty Qt Widgets program with a
// main window of the same size and a tray icon. Once its event loop runs it
// sends one datagram to the loopback port it is given, as the monitor sends
// its first query, and then idles until it is stopped.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QMainWindow>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdlib>

namespace {

void SendReady(int port) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  sendto(fd, "ready", 5, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  close(fd);
}

} // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const int port = argc > 1 ? std::atoi(argv[1]) : 0;
  QMainWindow window;
  window.resize(435, 348); // the monitor's first size
  window.show();
  QPixmap image(16, 16);
  image.fill(Qt::darkGreen);
  QSystemTrayIcon tray{QIcon(image)};
  tray.show();
  QTimer::singleShot(0, [port] { SendReady(port); });
  return QApplication::exec();
}
