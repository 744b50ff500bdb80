#pragma once

#include <QString>
#include <exception>
#include <string>

namespace vz {

// The one family of errors the program raises. Unhandled ones reach the
// application's error report (a message box with the text) and the program
// goes on.
class VzError : public std::exception
{
public:
    explicit VzError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toStdString())
    {
    }
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
};

// A file could not be read, written or understood.
class FileError : public VzError
{
public:
    using VzError::VzError;
};

// A text that should have been a number was not one.
class ConvertError : public VzError
{
public:
    using VzError::VzError;
};

// A raster operation on an empty image or with bad arguments.
class ImageError : public VzError
{
public:
    using VzError::VzError;
};

// Reads a decimal integer as the original's StrToInt did: optional blanks are
// not allowed, an optional sign, digits only. Raises ConvertError with the
// text "'<s>' is not a valid integer value" otherwise.
int strToInt(const QString &s);

} // namespace vz
