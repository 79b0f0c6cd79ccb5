// The test ports under Wine. The Linux harness (wine_harness) maps COM1..COM5
// to pseudo-terminals through symbolic links it can point elsewhere, holds
// their far ends, and serves them on a local socket whose number it passes in
// KTQ51_FAR_END. One request per line, "N VERB [ARGUMENTS]" for COMn (N 6:
// the other line, COM12); see
// FarEndServer in wine_harness.cpp for the answers.
#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "test_ports.h"

namespace {

// A COM number that nothing maps: above every number Wine gives the serial
// devices it finds by itself.
constexpr const char* kUnmappedPort = "COM250";

class Connection {
public:
    Connection() {
        WSADATA data;
        // Both return 0 upon success.
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
        const char* port = std::getenv("KTQ51_FAR_END");
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(port != nullptr ? std::atoi(port) : 0));
        if (socket_ == INVALID_SOCKET ||
            ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            throw std::runtime_error("the harness's far ends cannot be reached");
        }
    }

    void Send(const std::string& request) {
        const std::string line = request + "\n";
        std::size_t sent = 0;
        while (sent < line.size()) {
            // Returns the count sent, or SOCKET_ERROR.
            const int n = ::send(socket_, line.data() + sent, static_cast<int>(line.size() - sent), 0);
            if (n <= 0) throw std::runtime_error("the harness went away");
            sent += static_cast<std::size_t>(n);
        }
    }
    std::string ReadLine() {
        std::string line;
        for (char c = 0; Get(c) && c != '\n';) line += c;
        return line;
    }
    std::vector<std::uint8_t> ReadBytes(std::size_t count) {
        std::vector<std::uint8_t> data(count);
        for (std::size_t i = 0; i < count; ++i) {
            char c = 0;
            if (!Get(c)) throw std::runtime_error("the harness went away");
            data[i] = static_cast<std::uint8_t>(c);
        }
        return data;
    }
    std::string Ask(const std::string& request) {
        Send(request);
        return ReadLine();
    }

private:
    bool Get(char& c) {
        if (pos_ == end_) {
            // Returns the count received, 0 when closed, or SOCKET_ERROR.
            const int n = ::recv(socket_, buffer_, sizeof buffer_, 0);
            if (n <= 0) return false;
            pos_ = 0;
            end_ = static_cast<std::size_t>(n);
        }
        c = buffer_[pos_++];
        return true;
    }

    SOCKET socket_ = INVALID_SOCKET;
    char buffer_[65536];
    std::size_t pos_ = 0, end_ = 0;
};

Connection& Harness() {
    static Connection connection;
    return connection;
}

class RemoteFarEnd : public FarEnd {
public:
    explicit RemoteFarEnd(int number) : prefix_(std::to_string(number) + " ") {}

    Line Settings() override {
        std::istringstream answer(Harness().Ask(prefix_ + "settings"));
        Line line;
        int parity = 0, two = 0, rtsCts = 0, xonXoff = 0;
        answer >> line.baud >> line.dataBits >> parity >> two >> rtsCts >> xonXoff;
        line.parity = parity != 0;
        line.twoStopBits = two != 0;
        line.rtsCts = rtsCts != 0;
        line.xonXoff = xonXoff != 0;
        return line;
    }
    void SetFlowControl(bool on) override { Harness().Ask(prefix_ + (on ? "flow 1" : "flow 0")); }
    void StartReading(std::size_t count, std::chrono::milliseconds quiet) override {
        Harness().Send(prefix_ + "read " + std::to_string(count) + " " + std::to_string(quiet.count()));
        reading_ = true;
    }
    std::vector<std::uint8_t> Received() override {
        if (!reading_) return {};
        reading_ = false;
        const std::size_t count = std::stoul(Harness().ReadLine());
        return Harness().ReadBytes(count);
    }
    void Stall(std::size_t room) override { Harness().Ask(prefix_ + "stall " + std::to_string(room)); }
    void Vanish() override { Harness().Ask(prefix_ + "vanish"); }
    void PlugIn() override { Harness().Ask(prefix_ + "plug"); }
    // Plugs in a line left vanished, unless a read on it is under way.
    void Ensure() {
        if (!reading_) Harness().Ask(prefix_ + "ensure");
    }

private:
    std::string prefix_;
    bool reading_ = false;
};

// COM1..COM5, and the other line, COM12.
std::unique_ptr<RemoteFarEnd> lines[kMenuPorts + 1];

}  // namespace

FarEnd& TestLine(int number) {
    RemoteFarEnd& line = *lines[number - 1];
    line.Ensure();
    return line;
}

FarEnd& OtherLine() {
    RemoteFarEnd& line = *lines[kMenuPorts];
    line.Ensure();
    return line;
}

std::string OtherLineDevice() {
    return "COM12";
}

PortName MissingPort() {
    return PortName::Device(kUnmappedPort);
}

bool UnderWine() {
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

bool PrepareTestPorts(bool) {
    const char* mapped = std::getenv("KTQ51_FAR_END");
    if (mapped == nullptr || *mapped == '\0') {
        std::fprintf(stderr, "COM1..COM5 are not mapped to test ports; run the tests through wine_harness\n");
        return false;
    }
    for (int n = 1; n <= kMenuPorts + 1; ++n) lines[n - 1] = std::make_unique<RemoteFarEnd>(n);
    return true;
}
