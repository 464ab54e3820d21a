#pragma once

// Working windows as a person does: menus opened and chosen with the mouse, grid cells and
// boxes clicked, so that a test goes through the same events, enable states and focus
// changes as the operator.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <vector>

namespace pelmo::test {

inline QMenu* menuHolding(const QAction* action) {
    for (QObject* o : action->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(o)) {
            return menu;
        }
    }
    return nullptr;
}

// Opens the menu bar's menu, any submenus on the way, and clicks the entry `name`. An entry
// that is disabled or hidden is not chosen, as for a person; the test sees nothing happen.
inline void chooseMenuEntry(QMainWindow& window, const char* name) {
    auto* action = window.findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_NE(action, nullptr) << name;
    std::vector<QMenu*> chain;
    for (QMenu* m = menuHolding(action); m; m = menuHolding(m->menuAction())) {
        chain.push_back(m);
    }
    ASSERT_FALSE(chain.empty()) << name << " is in no menu";
    std::reverse(chain.begin(), chain.end());
    QApplication::setActiveWindow(&window);
    QMenuBar* bar = window.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(chain.front()->menuAction()).center());
    for (std::size_t i = 1; i < chain.size(); ++i) {
        QMenu* parent = chain[i - 1];
        QTest::mouseClick(parent, Qt::LeftButton, {},
                          parent->actionGeometry(chain[i]->menuAction()).center());
    }
    QMenu* menu = chain.back();
    if (!menu->isVisible()) {
        return;  // the menu itself is disabled
    }
    const QRect where = menu->actionGeometry(action);
    if (where.isEmpty()) {
        menu->close();  // a hidden entry
        return;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {}, where.center());
    // A disabled entry leaves its menus open.
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if ((*it)->isVisible()) {
            (*it)->close();
        }
    }
}

// Clicks a grid cell (scrolled into view first).
inline void clickCell(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    if (item) {
        grid->scrollToItem(item);
    }
    const QRect rect = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
}

}  // namespace pelmo::test
