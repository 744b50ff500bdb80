#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <QString>

#include <memory>

namespace vz::mf {

class WmfPaintEngine;

// A paint device that records what is painted on it as a placeable Windows
// metafile (in the manner of QSvgGenerator). Paths and polygons become
// polygon, polypolygon and polyline records, text becomes font records and
// EXTTEXTOUT, images 24-bit STRETCHDIB (transparent ones as a mask pair),
// clipping SaveDC plus a clip rectangle. The logical scale is chosen so that
// the picture's coordinates stay well inside 16 bits.
//
// Set the size (and resolution) before painting; the metafile is complete
// when the painter ends, and is then also written to the file name if one
// was given (safely: a failure leaves the old file and sets errorString()).
class WmfGenerator : public QPaintDevice
{
public:
    WmfGenerator();
    ~WmfGenerator() override;

    QSize size() const { return m_size; }
    void setSize(const QSize &size) { m_size = size; }
    int resolution() const { return m_dpi; }
    void setResolution(int dpi) { m_dpi = dpi > 0 ? dpi : 96; }
    QString fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }

    // The finished placeable metafile (empty before painting has ended).
    QByteArray data() const { return m_data; }
    // Why the file could not be written; empty after success.
    QString errorString() const { return m_error; }

    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    friend class WmfPaintEngine;
    void finished(const QByteArray &data);

    QSize m_size{100, 100};
    int m_dpi = 96;
    QString m_fileName;
    QByteArray m_data;
    QString m_error;
    mutable std::unique_ptr<WmfPaintEngine> m_engine;
};

} // namespace vz::mf
