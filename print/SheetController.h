#pragma once

#include "CoverPrintJob.h"
#include "SheetPrinting.h"
#include "SheetWindow.h"
#include "Workspace.h"

#include <QObject>
#include <memory>

class QWidget;

namespace jf {

// The sheet: its covers (Sheet.txt) and choices (SheetSettings.ins) in the
// workspace, the pictures kept for it, its window and its printing. Every
// change is written to its file before it is taken up. What fails is thrown
// to the caller's guard; what the window asks for enters through one.
class SheetController : public QObject
{
    Q_OBJECT

public:
    // `border` is the colour memory "Print Cover" prints with: the sheet
    // shows the border in the colour the next job prints it in, and printing
    // the sheet remembers it. The window is made over `windowParent`.
    SheetController(Workspace& workspace, BorderColourMemory& border, QWidget* windowParent);

    // Reads the choices, then Sheet.txt, also when the choices cannot be read
    // (that is reported): a sheet left unread would be written over by the
    // next "Add to Sheet". Damaged or left-over lines are thrown as a note.
    void load();
    // "Add to Sheet": checks the cover as "Print Cover" does and adds it as
    // cover kind `kind` (at least the first) with the picture at
    // `picturePath`, its own name on disk.
    void add(const CoverRequest& cover, int kind, const QString& picturePath);
    void open();
    // Shows the sheet again in its window, when that is open.
    void refresh();
    // Made when first asked for, then kept.
    SheetWindow& window();

private:
    void print();
    void remove(int row);
    void clear();
    void setSettings(const SheetSettings& settings);
    void save(const SheetList& sheet);
    SheetStyle style() const;

    Workspace& m_workspace;
    BorderColourMemory& m_border;
    QWidget* m_windowParent;
    SheetPictures m_pictures;
    std::unique_ptr<SheetWindow> m_window;
};

} // namespace jf
