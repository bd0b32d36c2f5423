// The drawn popup menu: layout inside the bounds, pointer and keys, painting.
#include "drawn_menu.h"

#include <algorithm>

namespace tarn {

namespace {

constexpr int kTextIndent = 5;
constexpr int kArrowSize = 3;

struct Rgb {
    double r, g, b;
};
constexpr Rgb kFace{0.94, 0.94, 0.94};
constexpr Rgb kFrame{0.40, 0.40, 0.40};
constexpr Rgb kText{0.04, 0.04, 0.04};
constexpr Rgb kHighlight{0.20, 0.45, 0.80};
constexpr Rgb kHighlightText{1.0, 1.0, 1.0};
constexpr Rgb kRule{0.65, 0.65, 0.65};

void source(cairo_t* cr, const Rgb& c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

int clampInto(int start, int length, int bound) { return std::max(0, std::min(start, bound - length)); }

}  // namespace

std::vector<DrawnMenu::Row> DrawnMenu::copyRows(const PopupMenu& menu) {
    std::vector<Row> rows;
    for (const PopupMenu::Item& item : menu.items) {
        Row row{item.text, item.command, item.separator, {}};
        if (item.submenu) row.submenu = copyRows(*item.submenu);
        // A submenu with nothing in it opens nothing: show it as a row without a command.
        rows.push_back(std::move(row));
    }
    return rows;
}

int DrawnMenu::columnHeight(const std::vector<Row>& rows) {
    int h = 2 * kBorder;
    for (const Row& r : rows) h += rowHeight(r);
    return h;
}

void DrawnMenu::open(const PopupMenu& menu, int x, int y, int boundsWidth, int boundsHeight) {
    rows_ = copyRows(menu);
    boundsWidth_ = boundsWidth;
    boundsHeight_ = boundsHeight;
    const int h = columnHeight(rows_);
    const int left = clampInto(x, kMainWidth, boundsWidth);
    const int top = clampInto(y, h, boundsHeight);
    columns_.assign(1, Column{&rows_, Box{left, top, left + kMainWidth, top + h}, -1});
    openX_ = x;
    openY_ = y;
    awaitingOpeningRelease_ = true;
}

DrawnMenu::Box DrawnMenu::columnBox(int column) const { return columns_[column].box; }

DrawnMenu::Box DrawnMenu::rowBox(int column, int row) const {
    const Column& c = columns_[column];
    int top = c.box.top + kBorder;
    for (int i = 0; i < row; ++i) top += rowHeight((*c.rows)[i]);
    return Box{c.box.left + kBorder, top, c.box.right - kBorder, top + rowHeight((*c.rows)[row])};
}

// Beside the parent, on the right where it fits, else on the left; level with its row.
void DrawnMenu::openSubmenu(int parent, int highlight) {
    columns_.resize(parent + 1);
    const Column& p = columns_[parent];
    const std::vector<Row>& rows = (*p.rows)[p.highlighted].submenu;
    const int h = columnHeight(rows);
    int left = p.box.right;
    if (left + kSubmenuWidth > boundsWidth_) left = std::max(0, p.box.left - kSubmenuWidth);
    const int top = clampInto(rowBox(parent, p.highlighted).top - kBorder, h, boundsHeight_);
    columns_.push_back(Column{&rows, Box{left, top, left + kSubmenuWidth, top + h}, -1});
    if (highlight >= 0) step(parent + 1, 1);
}

bool DrawnMenu::hit(int x, int y, int& column, int& row) const {
    for (int c = columnCount() - 1; c >= 0; --c) {
        if (!columns_[c].box.contains(x, y)) continue;
        column = c;
        row = -1;
        for (int r = 0; r < static_cast<int>(columns_[c].rows->size()); ++r)
            if (rowBox(c, r).contains(x, y)) row = r;
        return true;
    }
    return false;
}

void DrawnMenu::hover(int column, int row) {
    Column& c = columns_[column];
    if (row >= 0 && !(*c.rows)[row].selectable()) row = -1;
    if (row == c.highlighted && columnCount() > column + 1) return;  // its submenu stays
    columns_.resize(column + 1);
    columns_[column].highlighted = row;
    if (row >= 0 && (*columns_[column].rows)[row].opensSubmenu()) openSubmenu(column, -1);
}

void DrawnMenu::move(int x, int y) {
    if (!isOpen()) return;
    int column, row;
    if (hit(x, y, column, row)) hover(column, row);
}

DrawnMenu::Result DrawnMenu::press(int x, int y) {
    if (!isOpen()) return Result{Outcome::DISMISSED, 0};
    awaitingOpeningRelease_ = false;
    int column, row;
    if (!hit(x, y, column, row)) {
        close();
        return Result{Outcome::DISMISSED, 0};
    }
    hover(column, row);
    return Result{Outcome::OPEN, 0};
}

// A release picks the command under it, except the release of the press that opened the menu
// when the pointer has not left that spot.
DrawnMenu::Result DrawnMenu::release(int x, int y) {
    if (!isOpen()) return Result{Outcome::DISMISSED, 0};
    const bool opening = awaitingOpeningRelease_;
    awaitingOpeningRelease_ = false;
    if (opening && x == openX_ && y == openY_) return Result{Outcome::OPEN, 0};
    int column, row;
    if (!hit(x, y, column, row) || row < 0) return Result{Outcome::OPEN, 0};
    hover(column, row);
    return choose(column);
}

int DrawnMenu::activeColumn() const {
    for (int c = columnCount() - 1; c > 0; --c)
        if (columns_[c].highlighted >= 0) return c;
    return 0;
}

// To the next selectable row in a direction, round the ends; submenus past it close.
void DrawnMenu::step(int column, int direction) {
    columns_.resize(column + 1);
    Column& c = columns_[column];
    const int n = static_cast<int>(c.rows->size());
    int row = c.highlighted;
    for (int tries = 0; tries < n; ++tries) {
        if (row < 0) row = direction > 0 ? 0 : n - 1;
        else row = (row + direction + n) % n;
        if ((*c.rows)[row].selectable()) break;
    }
    c.highlighted = row;
}

DrawnMenu::Result DrawnMenu::choose(int column) {
    const Column& c = columns_[column];
    if (c.highlighted < 0) return Result{Outcome::OPEN, 0};
    const Row& row = (*c.rows)[c.highlighted];
    if (row.opensSubmenu()) {
        if (columnCount() == column + 1) openSubmenu(column, -1);
        return Result{Outcome::OPEN, 0};
    }
    if (row.command == 0) return Result{Outcome::OPEN, 0};
    close();
    return Result{Outcome::CHOSEN, row.command};
}

DrawnMenu::Result DrawnMenu::key(MenuKey key) {
    if (!isOpen()) return Result{Outcome::DISMISSED, 0};
    const int column = activeColumn();
    Column& c = columns_[column];
    switch (key) {
    case MenuKey::DOWN: step(column, 1); break;
    case MenuKey::UP: step(column, -1); break;
    case MenuKey::RIGHT:
        if (c.highlighted >= 0 && (*c.rows)[c.highlighted].opensSubmenu()) openSubmenu(column, 0);
        break;
    case MenuKey::LEFT:
        if (column > 0) columns_.resize(column);
        break;
    case MenuKey::ENTER: {
        const Result r = choose(column);
        const bool entered = r.outcome == Outcome::OPEN && columnCount() > column + 1;
        if (entered && columns_[column + 1].highlighted < 0) step(column + 1, 1);
        return r;
    }
    case MenuKey::ESCAPE:
        if (column == 0) {
            close();
            return Result{Outcome::DISMISSED, 0};
        }
        columns_.resize(column);
        break;
    }
    return Result{Outcome::OPEN, 0};
}

void DrawnMenu::paint(cairo_t* cr) const {
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kTextSize);
    for (const Column& c : columns_) paintColumn(cr, c);
    cairo_restore(cr);
}

void DrawnMenu::paintColumn(cairo_t* cr, const Column& c) const {
    const Box& b = c.box;
    source(cr, kFrame);
    cairo_rectangle(cr, b.left, b.top, b.right - b.left, b.bottom - b.top);
    cairo_fill(cr);
    source(cr, kFace);
    cairo_rectangle(cr, b.left + kBorder, b.top + kBorder, b.right - b.left - 2 * kBorder,
                    b.bottom - b.top - 2 * kBorder);
    cairo_fill(cr);
    const int column = static_cast<int>(&c - columns_.data());
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    for (int r = 0; r < static_cast<int>(c.rows->size()); ++r) {
        const Row& row = (*c.rows)[r];
        const Box rb = rowBox(column, r);
        if (row.separator) {
            source(cr, kRule);
            cairo_rectangle(cr, rb.left + 2, rb.top + kSeparatorHeight / 2, rb.right - rb.left - 4, 1);
            cairo_fill(cr);
            continue;
        }
        const bool lit = r == c.highlighted;
        if (lit) {
            source(cr, kHighlight);
            cairo_rectangle(cr, rb.left, rb.top, rb.right - rb.left, rb.bottom - rb.top);
            cairo_fill(cr);
        }
        source(cr, lit ? kHighlightText : kText);
        const double baseline = rb.top + (kRowHeight + font.ascent - font.descent) / 2.0;
        cairo_move_to(cr, rb.left + kTextIndent, static_cast<int>(baseline + 0.5));
        cairo_show_text(cr, row.text.c_str());
        if (row.opensSubmenu()) {
            const double ax = rb.right - 3 - kArrowSize;
            const double ay = rb.top + kRowHeight / 2.0;
            cairo_move_to(cr, ax, ay - kArrowSize);
            cairo_line_to(cr, ax + kArrowSize, ay);
            cairo_line_to(cr, ax, ay + kArrowSize);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
    }
}

}  // namespace tarn
