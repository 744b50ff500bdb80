#pragma once

#include <QString>

namespace vz {

// A uniquely named file in the system's temporary folder, with a prefix
// ("vz" for pictures, "cad" for the print page). The file is created empty
// and deleted when the guard goes, on every path.
class TempFile
{
public:
    explicit TempFile(const QString &prefix = QStringLiteral("vz"), const QString &suffix = QStringLiteral(".tmp"));
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    bool isValid() const { return !m_path.isEmpty(); }
    const QString &path() const { return m_path; }
    // Deletes the file now (also done by the destructor).
    void remove();

private:
    QString m_path;
};

} // namespace vz
