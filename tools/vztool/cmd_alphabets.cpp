#include "Command.h"

#include "common/VzError.h"
#include "imagesets/AlphabetList.h"

using namespace vztool;

static int runAlphabets(const QStringList &args)
{
    if (args.size() != 1) {
        err(QStringLiteral("usage: vztool alphabets TREE"));
        return 2;
    }
    QStringList list;
    try {
        vz::LoadAlphabetList(list, args.first());
    } catch (const vz::VzError &e) {
        err(e.message());
        return 1;
    }
    for (const QString &entry : list)
        out(entry);
    return 0;
}

static Registration reg({QStringLiteral("alphabets"), QStringLiteral("alphabets TREE"),
                         QStringLiteral("print the alphabet list entries found in TREE, in list order"), runAlphabets});
