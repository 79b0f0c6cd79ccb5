// Follows the file the window has loaded, as a compiler rewrites it: a
// change is told once the file has stayed unchanged for a moment, as
// compilers write in pieces. A file written in place and one written beside
// it and renamed over it are both followed; one that is deleted is waited
// for until it comes back.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <utility>

class FileFollower : public QObject {
    Q_OBJECT
public:
    explicit FileFollower(QObject* parent);

    // Follows `file` from now on, and no other.
    void Follow(const QString& file);
    void Stop();
    const QString& File() const { return file_; }

signals:
    // The file exists and has stayed unchanged for kHexFileSettle since it changed.
    void Changed();

private:
    // `ours`: the file itself changed; otherwise its folder did.
    void Noticed(bool ours);

    QString file_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    std::pair<qint64, qint64> stamp_{-1, -1};  // the file's time and size when last noticed
};
