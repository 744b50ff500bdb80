// The main window and the preview window at other screen densities: every
// control shown at 96 dpi is shown, with a size, at 120 and 144 dpi, also
// after a resize. The density of a run is fixed when the application starts,
// so each density is a child run of this program that lists its controls.

#include "common/ProgramFolder.h"
#include "imaging/FormEnlarge.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>

using namespace vz;

namespace {

const char kDumpVar[] = "VZ_DENSITY_DUMP";

// The part of `w` left inside all its ancestors, in window coordinates.
QRect shownRect(const QWidget *w)
{
    QRect r = w->rect().translated(w->mapTo(w->window(), QPoint(0, 0)));
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        if (p->isWindow()) {
            r &= p->rect();
            break;
        }
        r &= p->rect().translated(p->mapTo(p->window(), QPoint(0, 0)));
    }
    return r;
}

// One line per named control of `window`: "key<TAB>shown", where key is the
// chain of named ancestors and shown is 1 when the control is visible with
// a positive size inside its ancestors.
QStringList controlLines(const QString &prefix, QWidget *window)
{
    QStringList lines;
    QHash<QString, int> seen;
    const QList<QWidget *> all = window->findChildren<QWidget *>();
    for (QWidget *w : all) {
        if (w->window() != window || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QStringList chain;
        for (QWidget *p = w; p && p != window; p = p->parentWidget())
            if (!p->objectName().isEmpty())
                chain.prepend(p->objectName());
        QString key = prefix + chain.join(QLatin1Char('/'));
        const int n = seen[key]++;
        if (n > 0)
            key += QStringLiteral("#%1").arg(n);
        const bool shown = w->isVisible() && w->width() > 0 && w->height() > 0 && !shownRect(w).isEmpty();
        lines << key + QLatin1Char('\t') + QLatin1Char(shown ? '1' : '0');
    }
    return lines;
}

// Builds the windows in a scratch program folder and lists their controls
// as built, then after a resize.
QStringList listControls()
{
    vztest::Sandbox box;
    box.write("program/characters", "A=A\r\nsmalla=a\r\nSPACE= \r\n");
    box.write("program/Alphabets/Color/First/ImageSetData.qn", "Version=2\r\nName=First\r\nType=CA\r\n");
    setProgramFolder(box.path("program"));
    TfrmVZMain w({"local"});
    w.show();
    TEnlargedView *preview = w.enlargedView();
    preview->show();
    QStringList lines = controlLines(QStringLiteral("main:"), &w) + controlLines(QStringLiteral("preview:"), preview);
    w.resize(w.width() + 40, w.height() + 30);
    preview->resize(preview->width() + 40, preview->height() + 30);
    lines += controlLines(QStringLiteral("main, resized:"), &w)
        + controlLines(QStringLiteral("preview, resized:"), preview);
    preview->hide();
    return lines;
}

QMap<QString, bool> parse(const QStringList &lines)
{
    QMap<QString, bool> out;
    for (const QString &l : lines) {
        const qsizetype tab = l.lastIndexOf(QLatin1Char('\t'));
        if (tab > 0)
            out.insert(l.left(tab), l.mid(tab + 1) == QLatin1String("1"));
    }
    return out;
}

} // namespace

class TestDensities : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controlsStayShown_data();
    void controlsStayShown();
};

void TestDensities::controlsStayShown_data()
{
    QTest::addColumn<int>("dpi");
    QTest::newRow("120 dpi") << 120;
    QTest::newRow("144 dpi") << 144;
}

void TestDensities::controlsStayShown()
{
    QFETCH(int, dpi);
    QCOMPARE(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()), 96);
    const QMap<QString, bool> at96 = parse(listControls());
    QVERIFY(at96.value(QStringLiteral("main:pnlClipboardandPreview")));
    QVERIFY(at96.value(QStringLiteral("preview:pnlOuter/pnlBottom/btnApply")));

    vztest::Sandbox box;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kDumpVar), box.path("controls.txt"));
    env.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), QStringLiteral("0"));
    env.insert(QStringLiteral("QT_FONT_DPI"), QString::number(dpi));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(120000));
    QCOMPARE(child.exitCode(), 0);
    QFile f(box.path("controls.txt"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("dpi\t%1").arg(dpi));
    const QMap<QString, bool> scaled = parse(lines.mid(1));

    QStringList lost;
    for (auto it = at96.cbegin(); it != at96.cend(); ++it)
        if (it.value() && !scaled.value(it.key()))
            lost << it.key();
    QVERIFY2(lost.isEmpty(), qPrintable(QStringLiteral("not shown at %1 dpi: %2").arg(dpi).arg(lost.join(", "))));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString dump = qEnvironmentVariable(kDumpVar);
    if (!dump.isEmpty()) {
        QFile out(dump);
        if (!out.open(QIODevice::WriteOnly))
            return 2;
        const int dpi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch());
        const QStringList lines = QStringList{QStringLiteral("dpi\t%1").arg(dpi)} + listControls();
        out.write(lines.join(QLatin1Char('\n')).toUtf8());
        return 0;
    }
    TestDensities test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_densities.moc"
