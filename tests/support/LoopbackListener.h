#pragma once

// A listening TCP socket on a free loopback port, for tests that must answer a client with
// bytes no HTTP server library would send. Closed on destruction. Header-only: shared by the
// test executables of several layers.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <string>

namespace testsupport {

class LoopbackListener {
 public:
  LoopbackListener() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(socket_, 1);
    socklen_t length = sizeof address;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackListener() { close(); }
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  void close() {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
  }
  int socket() const { return socket_; }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

 private:
  int socket_;
  int port_ = 0;
};

// Accepts one connection on `listener`, reads one request (its head and a body of the length
// its Content-Length names), writes `answer` as it is, closes the connection and returns the
// request's bytes. Blocks; run it on a thread of its own.
inline std::string answerOneRequest(const LoopbackListener& listener, const std::string& answer) {
  const int connection = ::accept(listener.socket(), nullptr, nullptr);
  std::string received;
  char buffer[4096];
  const auto complete = [&] {
    const auto headEnd = received.find("\r\n\r\n");
    if (headEnd == std::string::npos) return false;
    const auto length = received.find("Content-Length: ");
    const std::size_t bodyLength = length == std::string::npos ? 0 : std::stoul(received.substr(length + 16));
    return received.size() >= headEnd + 4 + bodyLength;
  };
  while (connection >= 0 && !complete()) {
    const ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
    if (count <= 0) break;
    received.append(buffer, static_cast<std::size_t>(count));
  }
  if (connection >= 0) {
    ::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
    ::close(connection);
  }
  return received;
}

}  // namespace testsupport
