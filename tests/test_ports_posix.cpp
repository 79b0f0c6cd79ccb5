// Every COM number mapped to a pseudo-terminal of its own. A line whose
// device vanished gets a new one under the same number when it is next
// asked for, so that no test finds a dead line left by an earlier one.
#include <array>
#include <memory>
#include <thread>

#include "test_ports.h"

namespace {

class PtyFarEnd : public FarEnd {
public:
    // COM`number`, or with number 0 a line behind no COM number.
    PtyFarEnd(int number, bool map) : number_(number) { Renew(map); }
    ~PtyFarEnd() override { Join(); }

    PtyPair& pty() {
        if (vanished_) Renew();
        return *pty_;
    }

    Line Settings() override { return LineOf(pty().SlaveSettings()); }
    void SetFlowControl(bool on) override {
        termios t = pty().SlaveSettings();
        if (on) {
            t.c_cflag |= CRTSCTS;
            t.c_iflag |= IXON | IXOFF | IXANY;
        } else {
            t.c_cflag &= ~CRTSCTS;
            t.c_iflag &= ~(IXON | IXOFF | IXANY);
        }
        pty().SetSlaveSettings(t);
    }
    void StartReading(std::size_t count, std::chrono::milliseconds quiet) override {
        Join();
        PtyPair& line = pty();
        reader_ = std::thread([this, &line, count, quiet] { received_ = line.Read(count, quiet); });
    }
    std::vector<std::uint8_t> Received() override {
        Join();
        return std::move(received_);
    }
    void Stall(std::size_t room) override {
        pty().Stall();
        if (room > 0) pty().Read(room);
    }
    void Vanish() override {
        Join();
        pty_->CloseMaster();
        vanished_ = true;
    }
    void PlugIn() override {
        Join();
        Renew();
    }

private:
    void Join() {
        if (reader_.joinable()) reader_.join();
    }
    void Renew(bool map = true) {
        pty_ = std::make_unique<PtyPair>();
        if (map && number_ != 0) pty_->MapAs(number_);
        vanished_ = false;
    }

    int number_;
    std::unique_ptr<PtyPair> pty_;
    bool vanished_ = false;
    std::thread reader_;
    std::vector<std::uint8_t> received_;
};

std::array<std::unique_ptr<PtyFarEnd>, kMenuPorts> lines;
std::unique_ptr<PtyFarEnd> otherLine;

}  // namespace

FarEnd& OtherLine() {
    otherLine->pty();  // renewed if it vanished
    return *otherLine;
}

std::string OtherLineDevice() {
    return otherLine->pty().path();
}

FarEnd& TestLine(int number) {
    PtyFarEnd& line = *lines.at(static_cast<std::size_t>(number - 1));
    line.pty();  // renewed if it vanished
    return line;
}

PtyPair& TestPort(int number) {
    return lines.at(static_cast<std::size_t>(number - 1))->pty();
}

bool UnderWine() {
    return false;
}

PortName MissingPort() {
    return PortName::Device("/nonexistent/ktq51-test-port");
}

bool PrepareTestPorts(bool deathTestChild) {
    // A death test's child keeps the mapping its test made.
    for (int n = 1; n <= kMenuPorts; ++n) lines[n - 1] = std::make_unique<PtyFarEnd>(n, !deathTestChild);
    otherLine = std::make_unique<PtyFarEnd>(0, false);
    return true;
}
