#include "FileFollower.h"

#include <filesystem>

namespace {

std::filesystem::path PathOf(const QString& file) {
    return std::filesystem::path(file.toStdU16String());
}

}  // namespace

FileFollower::FileFollower(QObject* parent) : QObject(parent) {
    look_.setInterval(kHexFileLook);
    connect(&look_, &QTimer::timeout, this, [this] {
        if (rule_ && rule_->Look(StampOf(PathOf(file_)), RebuiltFile::Clock::now())) emit Due();
    });
}

void FileFollower::Follow(const QString& file, const std::optional<FileStamp>& loaded) {
    file_ = file;
    rule_.emplace(loaded);
    look_.start();
}

void FileFollower::Stop() {
    look_.stop();
    rule_.reset();
    file_.clear();
}
