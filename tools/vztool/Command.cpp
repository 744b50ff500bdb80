#include "Command.h"

#include <cstdio>

namespace vztool {

QList<Command> &commands()
{
    static QList<Command> table;
    return table;
}

void out(const QString &line)
{
    const QByteArray b = line.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
    std::fputc('\n', stdout);
}

void err(const QString &line)
{
    std::fflush(stdout);
    const QByteArray b = line.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
    std::fputc('\n', stderr);
}

} // namespace vztool
