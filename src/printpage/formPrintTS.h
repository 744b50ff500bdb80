#pragma once

#include "printpage/PagePrint.h"

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;

namespace vz {

// The printing options ("Printer Troubleshooting"): how bitmaps go to the
// printer (the print type) and how the job is made smaller or slower (the
// print style). The check boxes are the current options, read when a page
// prints; the settings store holds the saved ones (PrintTypeInt,
// PrintStyleInt below HKEY_LOCAL_MACHINE). Made once at start and shown
// modally whenever needed.
class TfrmPrintTS : public QDialog
{
    Q_OBJECT
public:
    // The two groups' values.
    static constexpr int kTypeDdb = 0;
    static constexpr int kTypeConvert24 = 1;
    static constexpr int kTypeStretchDib = 2;
    static constexpr int kTypeExcellent = 3;
    static constexpr int kStyleCompress = 0;
    static constexpr int kStyleWinStretch = 1;
    static constexpr int kStyleSlowDown = 2;
    static constexpr int kNone = -1;

    // `settingsKey` is the program's key below HKEY_LOCAL_MACHINE; without
    // `useStore` (the "local" run) the store is never opened.
    TfrmPrintTS(const QString &settingsKey, bool useStore, QWidget *parent = nullptr);

    // Sets the boxes from the store (the defaults when it cannot be read;
    // left as they are when the store is not used).
    void LoadPrintOptions();
    // Loads the options and shows the dialog modally; returns its result.
    int runModal();
    // Tests answer the dialog through a hook: it is then shown without
    // blocking and handed over; a dialog the hook leaves open is cancelled.
    using ModalHook = std::function<void(TfrmPrintTS &)>;
    static void setModalHook(ModalHook hook);

    // "Ok": the values from the boxes (an empty type group becomes "Use
    // StretchDIBits"), stored, then the dialog closes.
    void btnOkClick();
    void btnCancelClick();

    // The boxes as they stand: the checked type (-1 when none) and style
    // (-1 when none).
    int checkedType() const;
    int checkedStyle() const;
    bool isChecked(int group, int tag) const;
    // What printing uses: an empty type group sends bitmaps banded, as no
    // box asks for anything else.
    PrintType printType() const;
    PrintStyle printStyle() const;

    // The box of a group (0 types, 1 styles) by its tag.
    QCheckBox *box(int group, int tag) const;

private:
    void boxClicked(int group, int tag);
    void setBoxes(int type, int style);

    QString m_key;
    bool m_useStore;
    QCheckBox *m_types[4] = {};
    QCheckBox *m_styles[3] = {};
    // The tag being handled, -1 when idle: unchecking the others never
    // re-enters the click handler.
    int m_clicking = kNone;
};

} // namespace vz
