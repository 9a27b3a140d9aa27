#include "ui/BodyPartView.h"

#include <QTreeView>

namespace morvik {

QTreeView* MakeBodyPartView(const char* objectName, const QString& accessibleName) {
    auto* view = new QTreeView;
    view->setObjectName(objectName);
    view->setAccessibleName(accessibleName);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);  // keeps a catalogue of tens of thousands of rows quick
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAllColumnsShowFocus(true);
    view->setSortingEnabled(false);
    view->setMinimumWidth(785);
    // A few rows at least; the lists take whatever height the window has beyond that.
    view->setMinimumHeight(view->fontMetrics().height() * 6);
    return view;
}

}  // namespace morvik
