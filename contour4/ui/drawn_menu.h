// The popup menu drawn inside the panel's own window, where the window system lends no native
// menu: columns of rows (a submenu opens beside the row that holds it), worked with the mouse
// and the keyboard (arrows, Enter, Escape), kept inside the panel's bounds.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "contour4/ui/cairo_gdi.h"

namespace tarn {

enum class MenuKey { UP, DOWN, LEFT, RIGHT, ENTER, ESCAPE };

class DrawnMenu {
public:
    static constexpr int kRowHeight = 10;
    static constexpr int kSeparatorHeight = 5;
    static constexpr int kBorder = 1;
    static constexpr int kMainWidth = 64;
    static constexpr int kSubmenuWidth = 84;
    static constexpr double kTextSize = 8.0;

    enum class Outcome { OPEN, CHOSEN, DISMISSED };
    struct Result {
        Outcome outcome;
        int32_t command;  // for CHOSEN
    };
    struct Box {
        int left, top, right, bottom;  // right and bottom outside
        bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    };

    // Opens with its top-left corner at (x, y), moved as little as needed to fit the bounds.
    void open(const PopupMenu& menu, int x, int y, int boundsWidth, int boundsHeight);
    bool isOpen() const { return !columns_.empty(); }
    void close() { columns_.clear(); }

    Result press(int x, int y);
    Result release(int x, int y);
    void move(int x, int y);
    Result key(MenuKey key);
    void paint(cairo_t* cr) const;

    // Where things are: the open columns, main menu first, and the row of a column.
    int columnCount() const { return static_cast<int>(columns_.size()); }
    Box columnBox(int column) const;
    Box rowBox(int column, int row) const;
    int highlighted(int column) const { return columns_[column].highlighted; }
    int rowCount(int column) const { return static_cast<int>(columns_[column].rows->size()); }
    const std::string& rowText(int column, int row) const { return (*columns_[column].rows)[row].text; }

private:
    struct Row {
        std::string text;
        int32_t command;
        bool separator;
        std::vector<Row> submenu;
        bool opensSubmenu() const { return !submenu.empty(); }
        bool selectable() const { return !separator; }
    };
    struct Column {
        const std::vector<Row>* rows;
        Box box;
        int highlighted;
    };

    static std::vector<Row> copyRows(const PopupMenu& menu);
    static int rowHeight(const Row& row) { return row.separator ? kSeparatorHeight : kRowHeight; }
    static int columnHeight(const std::vector<Row>& rows);
    void openSubmenu(int parent, int highlight);
    // The column and row under a point; false when the point is in no column.
    bool hit(int x, int y, int& column, int& row) const;
    void hover(int column, int row);
    int activeColumn() const;
    void step(int column, int direction);
    Result choose(int column);
    void paintColumn(cairo_t* cr, const Column& c) const;

    std::vector<Row> rows_;
    std::vector<Column> columns_;
    int boundsWidth_ = 0;
    int boundsHeight_ = 0;
    int openX_ = 0;
    int openY_ = 0;
    bool awaitingOpeningRelease_ = false;
};

}  // namespace tarn
