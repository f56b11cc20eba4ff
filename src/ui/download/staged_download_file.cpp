#include "ui/download/staged_download_file.h"

#include <QDir>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace varneth {

namespace {

bool SyncToDisk(QFileDevice& file) {
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

}  // namespace

StagedDownloadFile::~StagedDownloadFile() {
    Discard();
}

bool StagedDownloadFile::Fail(const QString& path) {
    failedPath_ = QDir::toNativeSeparators(path);
    Discard();
    return false;
}

bool StagedDownloadFile::Write(const char* data, qint64 size) {
    if (target_) {
        return target_->write(data, size) == size || Fail(target_->fileName());
    }
    if (!spool_) {
        spool_ = std::make_unique<QTemporaryFile>(QDir::temp().filePath("varneth-download"));
        if (!spool_->open())
            return Fail(spool_->fileTemplate());
    }
    return spool_->write(data, size) == size || Fail(spool_->fileName());
}

bool StagedDownloadFile::Place(const QString& targetPath) {
    target_ = std::make_unique<QSaveFile>(targetPath);
    // Never write into the target directly: if the temporary file cannot be made beside it, the
    // download fails rather than leaving a half-written target.
    target_->setDirectWriteFallback(false);
    if (!target_->open(QIODevice::WriteOnly))
        return Fail(targetPath);
    if (spool_) {
        if (!spool_->flush() || !spool_->seek(0))
            return Fail(spool_->fileName());
        char buffer[64 * 1024];
        for (;;) {
            const qint64 got = spool_->read(buffer, sizeof buffer);
            if (got < 0)
                return Fail(spool_->fileName());
            if (got == 0)
                break;
            if (target_->write(buffer, got) != got)
                return Fail(targetPath);
        }
        spool_.reset();  // removes the spool
    }
    return true;
}

bool StagedDownloadFile::Commit() {
    if (!target_)
        return false;
    const QString path = target_->fileName();
    if (!SyncToDisk(*target_) || !target_->commit())
        return Fail(path);
    target_.reset();
    return true;
}

void StagedDownloadFile::Discard() {
    if (target_)
        target_->cancelWriting();
    target_.reset();  // an uncommitted QSaveFile removes its temporary file
    spool_.reset();
}

}  // namespace varneth
