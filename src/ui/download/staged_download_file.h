#pragma once
// Where a download's body goes. Until the user has picked the place, the body is held in an
// unnamed spool in the temporary folder; once the place is known it moves to a temporary file
// beside the target, which replaces the target only when the transfer is complete. Anything
// that does not reach Commit leaves no file behind and the target, if it exists, untouched.
// Used on one thread (the transfer's worker).
#include <memory>

#include <QSaveFile>
#include <QString>
#include <QTemporaryFile>

namespace varneth {

class StagedDownloadFile {
  public:
    StagedDownloadFile() = default;
    ~StagedDownloadFile();  // discards whatever was not committed
    StagedDownloadFile(const StagedDownloadFile&) = delete;
    StagedDownloadFile& operator=(const StagedDownloadFile&) = delete;

    bool Write(const char* data, qint64 size);
    // Opens the temporary file beside `targetPath` and moves the spooled bytes into it.
    bool Place(const QString& targetPath);
    [[nodiscard]] bool placed() const { return target_ != nullptr; }
    // Flushes, syncs to disk and renames the temporary file into place.
    bool Commit();
    void Discard();

    // The file that could not be written when a call above returned false.
    [[nodiscard]] const QString& failedPath() const { return failedPath_; }

  private:
    bool Fail(const QString& path);

    std::unique_ptr<QTemporaryFile> spool_;
    std::unique_ptr<QSaveFile> target_;
    QString failedPath_;
};

}  // namespace varneth
