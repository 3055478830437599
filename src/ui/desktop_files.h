// Hands links and archive contents to the desktop's applications: web pages and local paths as
// URLs, contents of the archive as temporary copies that live as long as this object.
#pragma once

#include <QString>

#include <memory>
#include <string>

class QTemporaryDir;
class QUrl;

class DesktopFiles {
public:
    DesktopFiles();
    ~DesktopFiles();

    // Opens `url`; throws when nothing on the desktop takes it.
    static void open(const QUrl& url);
    // Opens a link of a BCF file (UTF-8): one that names no scheme is taken for a web address or a
    // local path, as a browser would.
    static void openLink(const std::string& link);
    // Writes `bytes` to a temporary file named after `name` (its last part only) and opens it.
    void openContent(const std::string& name, const std::string& bytes);

private:
    std::unique_ptr<QTemporaryDir> folder_;
    int count_ = 0;
};
