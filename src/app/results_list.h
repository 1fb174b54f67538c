// lstResults: one row for each conversion of this run; nothing of it is saved.
#pragma once

#include <QIcon>
#include <QTreeWidget>
#include <array>
#include <deque>

#include "app/conversion_row.h"

class QLabel;

namespace z2o {

// The text colour of a row with problems, of the palette's own contrast so that it reads on a
// light and on a dark theme alike; invalid for a row without problems.
QColor problemTextColor(const ConversionRow& row, const QPalette& palette);

class ResultsList : public QTreeWidget {
    Q_OBJECT

  public:
    // The outcome comes second, so that it shows in the window's first, narrow size.
    enum Column { kSource, kOutcome, kFolder, kTarget, kSteps, kPlayingTime, kColumnCount };

    explicit ResultsList(QWidget* parent);
    ~ResultsList() override;

    void addRow(ConversionRow row);
    // The rows added since events last ran; the window calls it as each command ends.
    void showNewRows();
    // Selects the next row that failed or needs a check (the first with `fromTop`), going round
    // at the end; false when there is none.
    bool selectNextProblem(bool fromTop = false);
    // Sizes the columns to their contents again, after the user has dragged a divider: the
    // names give up what the list's width lacks, the widest first, and take what it has over.
    void fitColumns();
    // The width at which every column shows whole.
    int fittingWidth() const;
    // The row an item shows, or null.
    const ConversionRow* row(const QTreeWidgetItem* item) const;
    const ConversionRow* currentRow() const { return row(currentItem()); }
    // The selected rows in their order on screen, as tab-separated text under a header line.
    QString selectionText() const;

  signals:
    // Double-click or Enter on a row.
    void openRowFolder(const ConversionRow& row);
    // New rows have joined the list.
    void rowsShown();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    friend class RowItem;
    // The style's icon of a row's severity.
    const QIcon& icon(int severity) const;
    // Widens the columns' content widths to hold these rows' cells.
    void measure(const QList<QTreeWidgetItem*>& items);
    void placeColumns();

    std::deque<ConversionRow> m_rows;  // stable while rows are added
    QLabel* m_hint;
    QList<QTreeWidgetItem*> m_pending;
    mutable QIcon m_icons[4];
    std::array<int, kColumnCount> m_contentWidths{};
    int m_outcomeWidth = 0;     // of "converted" with an icon
    bool m_autoColumns = true;  // until the user drags a divider
    bool m_placing = false;
};

}  // namespace z2o
