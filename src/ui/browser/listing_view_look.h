#pragma once
// How the subtitle list looks and reacts to the mouse: rows on their own text background with
// grid lines, no hover highlight, and a row activated by a double-click, never by a single one.
#include <QColor>

class QTreeWidget;

namespace varneth {

struct ListLook {
    QColor text;             // the rows' text
    QColor textBackground;   // behind the rows' cells
    QColor emptyBackground;  // the area without rows
    QColor gridLines;
};

// Installs the look on `list` (its palette, an item delegate and a style that keeps single
// clicks from activating a row); the delegate and the style become children of the list.
void ApplyListLook(QTreeWidget* list, const ListLook& look);

}  // namespace varneth
