// Follows the file the window has loaded, as a compiler rewrites it: looks
// at it every kHexFileLook and says when to load it again, by the same rule
// as ktq51-flash --watch (RebuiltFile).
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

#include "rebuilt_file.h"

class FileFollower : public QObject {
    Q_OBJECT
public:
    explicit FileFollower(QObject* parent);

    // Follows `file`, which looked like `loaded` when it was loaded, and no other.
    void Follow(const QString& file, const std::optional<FileStamp>& loaded);
    void Stop();
    const QString& File() const { return file_; }
    // What to make of the load that Due asked for.
    RebuiltFile::Verdict Judge(const HexResult& result) {
        return rule_ ? rule_->Judge(result) : RebuiltFile::Verdict::Wait;
    }

signals:
    // The file is to be loaded now.
    void Due();

private:
    QString file_;
    std::optional<RebuiltFile> rule_;
    QTimer look_;
};
