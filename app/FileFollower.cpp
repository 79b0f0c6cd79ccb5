#include "FileFollower.h"

#include <QDateTime>
#include <QFileInfo>

#include "hexfile.h"

FileFollower::FileFollower(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kHexFileSettle);
    connect(&settle_, &QTimer::timeout, this, [this] {
        if (!file_.isEmpty() && QFileInfo::exists(file_)) emit Changed();
    });
    // A file renamed over, or deleted and written anew, is a new file: the
    // watcher forgets the old one, and the folder's change brings it back.
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { Noticed(true); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { Noticed(false); });
}

void FileFollower::Follow(const QString& file) {
    Stop();
    file_ = QFileInfo(file).absoluteFilePath();
    watcher_.addPath(QFileInfo(file_).absolutePath());
    watcher_.addPath(file_);
    const QFileInfo now(file_);
    stamp_ = {now.lastModified().toMSecsSinceEpoch(), now.size()};
}

void FileFollower::Stop() {
    settle_.stop();
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    file_.clear();
}

void FileFollower::Noticed(bool ours) {
    if (file_.isEmpty()) return;
    if (!watcher_.files().contains(file_) && QFileInfo::exists(file_)) watcher_.addPath(file_);
    // A change in the folder counts only where it is our file's (a new one
    // renamed over it); the folder's other files do not.
    const QFileInfo now(file_);
    const std::pair<qint64, qint64> stamp{now.exists() ? now.lastModified().toMSecsSinceEpoch() : -1,
                                          now.exists() ? now.size() : -1};
    if (!ours && stamp == stamp_) return;
    stamp_ = stamp;
    settle_.start();
}
