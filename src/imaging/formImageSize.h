#pragma once

#include <QDialog>
#include <QRect>

class QCheckBox;
class QLineEdit;

namespace vz {

class ImageSizeTarget;

// The image size dialog: sets the print page's selected object by numbers
// (inches). Created once; it sees the page only through an ImageSizeTarget.
// Its four fields are the page's readout of the selection and follow every
// frame change (frameChanged()).
class TfrmImageSize : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmImageSize(QWidget *parent = nullptr);

    void setTarget(ImageSizeTarget *target) { m_target = target; }
    ImageSizeTarget *target() const { return m_target; }

    // The page's frame moved, was resized, attached or detached: the fields
    // take the selected object's measures, or empty without a selection.
    void frameChanged();
    // Empties the four fields.
    void clearFields();

    QString heightText() const;
    QString widthText() const;
    QString topText() const;
    QString leftText() const;

protected:
    void showEvent(QShowEvent *e) override;

private:
    void HeightChange();
    void WidthChange();
    void applyVerticalCentring();
    void applyHorizontalCentring();
    void updateEnabled();
    void btnOKClick();
    void setField(QLineEdit *field, double inches);

    ImageSizeTarget *m_target = nullptr;
    QLineEdit *m_height;
    QLineEdit *m_width;
    QLineEdit *m_top;
    QLineEdit *m_left;
    QCheckBox *m_heightConstrained;
    QCheckBox *m_widthConstrained;
    QCheckBox *m_centerVertically;
    QCheckBox *m_centerHorizontally;
    double m_widthPerHeight = 0;
    double m_heightPerWidth = 0;
    bool m_ratiosDefined = false;
    int m_followDepth = 0;
    bool m_filling = false;
    // The frame and the texts the fields were filled with, so confirming an
    // unchanged field gives back the exact pixels.
    QRect m_filledFrame;
    QString m_filled[4];
    bool m_hasFilled = false;
};

} // namespace vz
