#pragma once
// The external address: the address-echo page downloaded into a temporary file and read back.

#include <QString>

namespace addressecho {

// The page configured at build time ("/myip.php" on the community site).
QString pageUrl();

enum class Outcome {
    Ok,
    FileNotFound, // the download left no file
    PathNotFound, // the temporary file's folder does not exist, or the path names no drive
    Failed,       // the file was there but could not be read or deleted
};

struct Answer {
    Outcome outcome = Outcome::Failed;
    bool read = false; // the file was opened and `text` holds its whole content
    QString text;      // one character per byte, unchanged (no trimming, no check)
};

// Downloads `url` into the file `windowsTempFile` (the download's own result is not looked at:
// what counts is whether a file is there), reads the file whole and deletes it.
Answer fetch(const QString& url, const QString& windowsTempFile);

} // namespace addressecho
