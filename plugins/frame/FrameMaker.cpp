// Frame Maker: a sample enhancement that frames a clipboard's picture (the
// "Windows" clipboard first) and hands the framed picture back.

#include "FrameRender.h"
#include "SampleHost.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>

namespace {

struct FrameWindow
{
    QPointer<QWidget> window;
    vzsample::HostLink host;
    vzsample::FrameStyle style;
    QImage picture;
    QLabel *preview = nullptr;
    QLabel *source = nullptr;
};

FrameWindow s_frame;

// Windows first, then the others in order.
QImage pickPicture()
{
    for (int n : {4, 1, 2, 3}) {
        QImage image = s_frame.host.clipboardPicture(n);
        if (!image.isNull())
            return image;
    }
    return QImage();
}

QImage framed()
{
    return vzsample::renderFrame(s_frame.picture, s_frame.style);
}

void refresh()
{
    if (!s_frame.preview)
        return;
    const QImage out = framed();
    s_frame.preview->setPixmap(out.isNull() ? QPixmap() : QPixmap::fromImage(out));
    s_frame.preview->adjustSize();
    s_frame.source->setText(s_frame.picture.isNull() ? QStringLiteral("The clipboards hold no picture.")
                                                     : QStringLiteral("%1 x %2").arg(s_frame.picture.width()).arg(s_frame.picture.height()));
}

QWidget *buildWindow(QWidget *panel)
{
    auto *w = new QWidget(panel);
    w->setObjectName(QStringLiteral("FrameMaker"));
    w->setAutoFillBackground(true);
    auto *outer = new QHBoxLayout(w);
    auto *form = new QFormLayout;
    outer->addLayout(form);
    s_frame.source = new QLabel(w);
    s_frame.source->setObjectName(QStringLiteral("lblFrameSource"));
    form->addRow(QStringLiteral("Picture"), s_frame.source);
    auto *kind = new QComboBox(w);
    kind->setObjectName(QStringLiteral("cmbFrameKind"));
    kind->addItems({QStringLiteral("Plain"), QStringLiteral("Double"), QStringLiteral("Bevel"), QStringLiteral("Rounded with shadow")});
    form->addRow(QStringLiteral("Frame"), kind);
    auto *width = new QSpinBox(w);
    width->setObjectName(QStringLiteral("spnFrameWidth"));
    width->setRange(1, 200);
    width->setValue(s_frame.style.width);
    form->addRow(QStringLiteral("Width"), width);
    auto *colour = new QPushButton(w);
    colour->setObjectName(QStringLiteral("btnFrameColour"));
    auto paint = [colour] { colour->setStyleSheet(QStringLiteral("background-color: %1").arg(s_frame.style.colour.name())); };
    paint();
    form->addRow(QStringLiteral("Colour"), colour);
    auto *reload = new QPushButton(QStringLiteral("Take the clipboard's picture"), w);
    reload->setObjectName(QStringLiteral("btnFrameReload"));
    auto *send = new QPushButton(QStringLiteral("Send to clipboard"), w);
    send->setObjectName(QStringLiteral("btnFrameSend"));
    auto *close = new QPushButton(QStringLiteral("Close"), w);
    close->setObjectName(QStringLiteral("btnFrameClose"));
    form->addRow(reload);
    form->addRow(send);
    form->addRow(close);
    auto *scroll = new QScrollArea(w);
    s_frame.preview = new QLabel;
    s_frame.preview->setObjectName(QStringLiteral("lblFramePreview"));
    scroll->setWidget(s_frame.preview);
    scroll->setWidgetResizable(false);
    outer->addWidget(scroll, 1);

    QObject::connect(kind, &QComboBox::currentIndexChanged, w, [](int i) { s_frame.style.kind = vzsample::FrameKind(i); refresh(); });
    QObject::connect(width, &QSpinBox::valueChanged, w, [](int v) { s_frame.style.width = v; refresh(); });
    QObject::connect(colour, &QPushButton::clicked, w, [colour, paint] {
        const QColor c = QColorDialog::getColor(s_frame.style.colour, colour->window());
        if (c.isValid()) {
            s_frame.style.colour = c;
            paint();
            refresh();
        }
    });
    QObject::connect(reload, &QPushButton::clicked, w, [] { s_frame.picture = pickPicture(); refresh(); });
    QObject::connect(send, &QPushButton::clicked, w, [] {
        const QImage out = framed();
        if (!out.isNull())
            s_frame.host.send(out);
    });
    QObject::connect(close, &QPushButton::clicked, w, [] { s_frame.host.finish(); });
    return w;
}

} // namespace

extern "C" VZ_ENHANCEMENT_EXPORT void FrameMakerMain(THasDllImage *holder, void *embedPanel, void *, void *, void *,
                                                     void *, void *hostModule)
{
    s_frame.host = vzsample::linkTo(holder, hostModule);
    if (!s_frame.host.valid() || !embedPanel)
        return;
    if (!s_frame.window)
        s_frame.window = buildWindow(static_cast<QWidget *>(embedPanel));
    s_frame.picture = pickPicture();
    refresh();
    s_frame.window->show();
    s_frame.window->raise();
}

extern "C" VZ_ENHANCEMENT_EXPORT void MyDLLProc(int32_t)
{
    delete s_frame.window.data();
    s_frame.preview = nullptr;
    s_frame.source = nullptr;
    s_frame.picture = QImage();
    s_frame.host = vzsample::HostLink();
}
