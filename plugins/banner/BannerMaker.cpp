// Banner Maker: a sample enhancement. Its window lives in the host's
// embedding panel; "Send to clipboard" hands the banner to the host's
// "Windows" clipboard, "Close" asks the host to close it.

#include "BannerRender.h"
#include "SampleHost.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

struct BannerWindow
{
    QPointer<QWidget> window;
    vzsample::HostLink host;
    vzsample::BannerStyle style;
    QLabel *preview = nullptr;
};

BannerWindow s_banner;

QPushButton *colourButton(QWidget *parent, const QString &name, QColor *colour)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    auto paint = [button, colour] {
        button->setStyleSheet(QStringLiteral("background-color: %1; min-width: 40px").arg(colour->name()));
    };
    paint();
    QObject::connect(button, &QPushButton::clicked, button, [button, colour, paint] {
        const QColor c = QColorDialog::getColor(*colour, button->window());
        if (c.isValid()) {
            *colour = c;
            paint();
        }
    });
    return button;
}

void refresh()
{
    if (!s_banner.preview)
        return;
    s_banner.preview->setPixmap(QPixmap::fromImage(vzsample::renderBanner(s_banner.style)));
    s_banner.preview->adjustSize();
}

QWidget *buildWindow(QWidget *panel)
{
    vzsample::BannerStyle &st = s_banner.style;
    auto *w = new QWidget(panel);
    w->setObjectName(QStringLiteral("BannerMaker"));
    w->setAutoFillBackground(true);
    auto *outer = new QHBoxLayout(w);
    auto *form = new QFormLayout;
    outer->addLayout(form);

    auto *text = new QLineEdit(st.text, w);
    text->setObjectName(QStringLiteral("edtBannerText"));
    form->addRow(QStringLiteral("Text"), text);
    auto *font = new QFontComboBox(w);
    font->setObjectName(QStringLiteral("cmbBannerFont"));
    font->setCurrentFont(QFont(st.family));
    form->addRow(QStringLiteral("Font"), font);
    auto *size = new QSpinBox(w);
    size->setObjectName(QStringLiteral("spnBannerSize"));
    size->setRange(8, 400);
    size->setValue(st.pixelSize);
    form->addRow(QStringLiteral("Size"), size);
    form->addRow(QStringLiteral("Fill"), colourButton(w, QStringLiteral("btnBannerFill"), &st.fill));
    auto *gradient = new QCheckBox(QStringLiteral("Gradient to"), w);
    gradient->setObjectName(QStringLiteral("chkBannerGradient"));
    auto *gradientRow = new QHBoxLayout;
    gradientRow->addWidget(gradient);
    gradientRow->addWidget(colourButton(w, QStringLiteral("btnBannerFill2"), &st.fill2));
    form->addRow(QString(), gradientRow);
    auto *outline = new QSpinBox(w);
    outline->setObjectName(QStringLiteral("spnBannerOutline"));
    outline->setRange(0, 30);
    outline->setValue(st.outlineWidth);
    auto *outlineRow = new QHBoxLayout;
    outlineRow->addWidget(outline);
    outlineRow->addWidget(colourButton(w, QStringLiteral("btnBannerOutline"), &st.outline));
    form->addRow(QStringLiteral("Outline"), outlineRow);
    auto *shadow = new QCheckBox(QStringLiteral("Drop shadow"), w);
    shadow->setObjectName(QStringLiteral("chkBannerShadow"));
    auto *offset = new QSpinBox(w);
    offset->setObjectName(QStringLiteral("spnBannerShadowOffset"));
    offset->setRange(-50, 50);
    offset->setValue(st.shadowOffset);
    auto *soft = new QSpinBox(w);
    soft->setObjectName(QStringLiteral("spnBannerSoftness"));
    soft->setRange(0, 20);
    soft->setValue(st.shadowSoftness);
    auto *shadowRow = new QHBoxLayout;
    shadowRow->addWidget(shadow);
    shadowRow->addWidget(colourButton(w, QStringLiteral("btnBannerShadow"), &st.shadowColour));
    form->addRow(QString(), shadowRow);
    form->addRow(QStringLiteral("Shadow offset"), offset);
    form->addRow(QStringLiteral("Softness"), soft);
    auto *send = new QPushButton(QStringLiteral("Send to clipboard"), w);
    send->setObjectName(QStringLiteral("btnBannerSend"));
    auto *close = new QPushButton(QStringLiteral("Close"), w);
    close->setObjectName(QStringLiteral("btnBannerClose"));
    form->addRow(send);
    form->addRow(close);

    auto *scroll = new QScrollArea(w);
    scroll->setWidgetResizable(false);
    s_banner.preview = new QLabel;
    s_banner.preview->setObjectName(QStringLiteral("lblBannerPreview"));
    scroll->setWidget(s_banner.preview);
    outer->addWidget(scroll, 1);

    QObject::connect(text, &QLineEdit::textChanged, w, [](const QString &t) { s_banner.style.text = t; refresh(); });
    QObject::connect(font, &QFontComboBox::currentFontChanged, w, [](const QFont &f) { s_banner.style.family = f.family(); refresh(); });
    QObject::connect(size, &QSpinBox::valueChanged, w, [](int v) { s_banner.style.pixelSize = v; refresh(); });
    QObject::connect(gradient, &QCheckBox::toggled, w, [](bool on) { s_banner.style.gradient = on; refresh(); });
    QObject::connect(outline, &QSpinBox::valueChanged, w, [](int v) { s_banner.style.outlineWidth = v; refresh(); });
    QObject::connect(shadow, &QCheckBox::toggled, w, [](bool on) { s_banner.style.shadow = on; refresh(); });
    QObject::connect(offset, &QSpinBox::valueChanged, w, [](int v) { s_banner.style.shadowOffset = v; refresh(); });
    QObject::connect(soft, &QSpinBox::valueChanged, w, [](int v) { s_banner.style.shadowSoftness = v; refresh(); });
    for (QPushButton *b : w->findChildren<QPushButton *>())
        if (b != send && b != close)
            QObject::connect(b, &QPushButton::clicked, w, [] { refresh(); });
    QObject::connect(send, &QPushButton::clicked, w, [] { s_banner.host.send(vzsample::renderBanner(s_banner.style)); });
    QObject::connect(close, &QPushButton::clicked, w, [] { s_banner.host.finish(); });
    return w;
}

} // namespace

extern "C" VZ_ENHANCEMENT_EXPORT void BannerMakerMain(THasDllImage *holder, void *embedPanel, void *, void *, void *,
                                                      void *, void *hostModule)
{
    s_banner.host = vzsample::linkTo(holder, hostModule);
    if (!s_banner.host.valid() || !embedPanel)
        return;
    auto *panel = static_cast<QWidget *>(embedPanel);
    if (!s_banner.window)
        s_banner.window = buildWindow(panel);
    refresh();
    s_banner.window->show();
    s_banner.window->raise();
}

extern "C" VZ_ENHANCEMENT_EXPORT void MyDLLProc(int32_t)
{
    delete s_banner.window.data();
    s_banner.preview = nullptr;
    s_banner.host = vzsample::HostLink();
}
