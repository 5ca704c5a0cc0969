#pragma once

#include "Calibration.h"
#include "ui_CalibrationWindow.h"

#include <QWidget>
#include <optional>

namespace jf {

// A small tool window for correcting one printer's scale and offset: it
// prints the calibration page and takes the measured size of its rectangle
// (and, optionally, its distances from the sheet's edges). The main window is
// disabled while it is open. What happens with the values is the owner's
// business, told through the signals.
class CalibrationWindow : public QWidget
{
    Q_OBJECT

public:
    explicit CalibrationWindow(QWidget* mainWindow);
    ~CalibrationWindow() override;

    // Shows the window for `printer`, filled with its saved correction (empty
    // boxes when there is none): the rectangle's size and its distances from
    // the sheet's edges, where the printable area starts at `areaCorner`
    // (millimetres) on portrait paper. Over the main window's panel.
    void open(const QString& printer, const std::optional<jf::PrinterCorrection>& saved,
              QPointF areaCorner);
    const QString& printer() const { return m_printer; }

    jf::CalibrationMeasurements measurements() const;
    // The saved correction shown, while no box has been changed since.
    std::optional<jf::PrinterCorrection> unchangedSaved() const;
    // Shows `text` in the window's own text line (printing and saving
    // confirm there).
    void showStatus(const QString& text);
    // Empties the four boxes (after "Reset").
    void clearMeasurements();

signals:
    void printPageRequested();
    void saveRequested();
    void resetRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Ui::CalibrationWindow m_ui;
    QWidget* m_mainWindow;
    QString m_printer;
    std::optional<jf::PrinterCorrection> m_saved;
    jf::CalibrationMeasurements m_shown;
};

} // namespace jf
