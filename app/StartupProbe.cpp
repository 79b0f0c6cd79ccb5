#include "StartupProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "GridModel.h"
#include "Programator.h"
#include "grid_layout.h"
#include "hexfile.h"
#include "memimage.h"

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = -1;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            break;
        }
        status.ignore(1 << 12, '\n');
    }
    return value;
}

namespace {

class FirstPaint : public QObject {
public:
    FirstPaint(TForm1& form, std::chrono::steady_clock::time_point entered)
        : QObject(&form), form_(form), entered_(entered) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Report once this paint has been handled.
            QTimer::singleShot(0, this, [this] { Report(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Report() {
        const auto painted = std::chrono::steady_clock::now();
        std::fprintf(stderr,
                     "probe first_paint_since_main_us=%lld first_paint_monotonic_ns=%lld rss_kib=%ld "
                     "window_not_ff=%zu\n",
                     static_cast<long long>(
                         std::chrono::duration_cast<std::chrono::microseconds>(painted - entered_).count()),
                     static_cast<long long>(
                         std::chrono::duration_cast<std::chrono::nanoseconds>(painted.time_since_epoch()).count()),
                     ResidentKiB(), ProgrammedCells(MemImage));
        if (const char* file = std::getenv("KTQ51_STARTUP_PROBE_LOAD"); file != nullptr && *file != '\0') {
            if (EraseAndLoadHexFile(file, MemImage).ok()) {
                RefreshGrid(*form_.SDataCells);
                form_.SData->viewport()->repaint();
                std::fprintf(stderr, "probe rss_after_load_kib=%ld\n", ResidentKiB());
            }
        }
        std::fflush(stderr);
        QCoreApplication::quit();
    }

    TForm1& form_;
    std::chrono::steady_clock::time_point entered_;
    bool seen_ = false;
};

}  // namespace

void InstallStartupProbe(TForm1& form, std::chrono::steady_clock::time_point entered) {
    const char* probe = std::getenv("KTQ51_STARTUP_PROBE");
    if (probe == nullptr || *probe == '\0') return;
    form.SData->viewport()->installEventFilter(new FirstPaint(form, entered));
}
