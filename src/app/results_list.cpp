#include "app/results_list.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "convert/clock_text.h"

namespace z2o {
namespace {

constexpr int kRowRole = Qt::UserRole;  // on the source column: the row's index

enum class Severity { None, Warning, Failed, Stopped };

Severity severityOf(const ConversionRow& row) {
    switch (row.outcome) {
        case ConversionRow::Outcome::Converted:
            return row.errors > 0 ? Severity::Warning : Severity::None;
        case ConversionRow::Outcome::Stopped:
            return Severity::Stopped;
        default:
            return Severity::Failed;
    }
}

// Colours the text of rows with problems, from the palette in use at each paint, and cuts the
// outcome at its end rather than in its middle.
class RowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    const std::deque<ConversionRow>* rows = nullptr;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == ResultsList::kOutcome) option->textElideMode = Qt::ElideRight;
        const auto at = index.siblingAtColumn(ResultsList::kSource).data(kRowRole);
        if (!at.isValid()) return;
        const QColor color = problemTextColor((*rows)[at.toUInt()], option->palette);
        if (color.isValid()) option->palette.setColor(QPalette::Text, color);
    }
};

}  // namespace

// A row's cells, worded from its conversion when they are shown rather than stored: a batch of
// thousands adds its rows at no more than the cost of keeping them. Sorts numbers as numbers and
// outcomes by how bad they are.
class RowItem : public QTreeWidgetItem {
  public:
    RowItem(const ConversionRow& row, uint index) : m_row(row), m_index(index) {}

    QVariant data(int column, int role) const override {
        switch (role) {
            case Qt::DisplayRole:
                return text(column);
            case Qt::ToolTipRole:
                return toolTip(column);
            case Qt::DecorationRole:
                if (column == ResultsList::kOutcome && severityOf(m_row) != Severity::None) {
                    return static_cast<ResultsList*>(treeWidget())
                        ->icon(static_cast<int>(severityOf(m_row)));
                }
                return {};
            case Qt::TextAlignmentRole:
                if (column == ResultsList::kSteps || column == ResultsList::kPlayingTime) {
                    return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
                }
                return {};
            case kRowRole:
                return column == ResultsList::kSource ? QVariant(m_index) : QVariant();
            default:
                return QTreeWidgetItem::data(column, role);
        }
    }

    bool operator<(const QTreeWidgetItem& other) const override {
        const ConversionRow& a = m_row;
        const ConversionRow& b = static_cast<const RowItem&>(other).m_row;
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const auto byText = [&] {
            return QString::localeAwareCompare(text(column), other.text(column)) < 0;
        };
        switch (column) {
            case ResultsList::kSteps:
                return std::pair(a.outcome == ConversionRow::Outcome::Converted, a.steps) <
                       std::pair(b.outcome == ConversionRow::Outcome::Converted, b.steps);
            case ResultsList::kPlayingTime:
                return a.playingTenths < b.playingTenths;
            case ResultsList::kOutcome:
                if (severityOf(a) != severityOf(b)) return severityOf(a) > severityOf(b);
                return byText();
            default:
                return byText();
        }
    }

  private:
    QString text(int column) const {
        const bool converted = m_row.outcome == ConversionRow::Outcome::Converted;
        switch (column) {
            case ResultsList::kSource:
                return QFileInfo(m_row.sourcePath).fileName();
            case ResultsList::kOutcome:
                return outcomeText(m_row);
            case ResultsList::kFolder:
                return QDir::toNativeSeparators(QFileInfo(m_row.sourcePath).absolutePath());
            case ResultsList::kTarget:
                return m_row.targetPath.isEmpty() ? QString()
                                                  : QFileInfo(m_row.targetPath).fileName();
            case ResultsList::kSteps:
                return converted ? QString::number(m_row.steps) : QString();
            case ResultsList::kPlayingTime:
                return converted && m_row.playingTenths >= 0
                           ? QString::fromStdString(clockText(m_row.playingTenths))
                           : QString();
        }
        return {};
    }

    // The whole of what a cell may cut short.
    QString toolTip(int column) const {
        switch (column) {
            case ResultsList::kSource:
                return QDir::toNativeSeparators(QFileInfo(m_row.sourcePath).absoluteFilePath());
            case ResultsList::kTarget:
                return QDir::toNativeSeparators(m_row.targetPath);
            case ResultsList::kFolder:
            case ResultsList::kOutcome:
                return text(column);
        }
        return {};
    }

    const ConversionRow& m_row;
    uint m_index;
};

QColor problemTextColor(const ConversionRow& row, const QPalette& palette) {
    // A red or an amber as dark as the palette's text on a light base, as light on a dark one.
    const bool lightBase = palette.color(QPalette::Base).lightness() >= 128;
    switch (severityOf(row)) {
        case Severity::Failed:
            return QColor::fromHsl(0, 200, lightBase ? 80 : 185);
        case Severity::Warning:
            return QColor::fromHsl(32, 220, lightBase ? 70 : 170);
        case Severity::Stopped:
            return palette.color(QPalette::PlaceholderText);
        case Severity::None:
            break;
    }
    return {};
}

ResultsList::ResultsList(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("lstResults"));
    setAccessibleName(tr("Conversions"));
    setAccessibleDescription(tr("One row for each session converted in this run"));
    QStringList labels(kColumnCount);
    labels[kSource] = tr("Source");
    labels[kOutcome] = tr("Outcome");
    labels[kFolder] = tr("Folder");
    labels[kTarget] = tr("Target");
    labels[kSteps] = tr("Steps");
    labels[kPlayingTime] = tr("Playing time");
    setHeaderLabels(labels);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A folder's beginning is the same in every row; its end tells them apart.
    setTextElideMode(Qt::ElideMiddle);
    auto* delegate = new RowDelegate(this);
    delegate->rows = &m_rows;
    setItemDelegate(delegate);

    // The columns fill the list's width, each as wide as its contents while there is room; the
    // user may still drag a divider, or double-click it to fit that column.
    QHeaderView* head = header();
    head->setStretchLastSection(false);
    head->setSectionResizeMode(QHeaderView::Interactive);
    for (const int column : {kSteps, kPlayingTime})
        headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    connect(head, &QHeaderView::sectionResized, this, [this] {
        if (!m_placing) m_autoColumns = false;
    });
    // In the order of the run until the user sorts by a column.
    head->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    measure({});

    m_hint = new QLabel(
        tr("Use the Files menu, or drop sessions, albums or folders here, to convert them."));
    m_hint->setObjectName(QStringLiteral("lstResultsHint"));
    m_hint->setAccessibleDescription(tr("How to start a conversion"));
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setWordWrap(true);
    m_hint->setEnabled(false);  // drawn greyed, as a hint rather than content
    // Drops and the context menu reach the list through it.
    m_hint->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(viewport());
    layout->addWidget(m_hint);

    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (const ConversionRow* shown = row(item)) emit openRowFolder(*shown);
    });
}

const QIcon& ResultsList::icon(int severity) const {
    // Looked up on first use: the style may search the desktop's icon theme, which would slow
    // the window's start.
    static constexpr QStyle::StandardPixmap kPixmaps[] = {
        QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxWarning,
        QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxInformation};
    QIcon& cached = m_icons[severity];
    if (cached.isNull()) cached = style()->standardIcon(kPixmaps[severity]);
    return cached;
}

ResultsList::~ResultsList() {
    qDeleteAll(m_pending);
}

void ResultsList::addRow(ConversionRow row) {
    m_rows.push_back(std::move(row));
    m_pending.append(new RowItem(m_rows.back(), static_cast<uint>(m_rows.size() - 1)));
    // Rows join the list together when events next run, or when the command ends: the list
    // lays itself out for every insertion, which for a long batch would cost more than the
    // batch.
    if (m_pending.size() > 1) return;
    QMetaObject::invokeMethod(this, &ResultsList::showNewRows, Qt::QueuedConnection);
}

void ResultsList::showNewRows() {
    if (m_pending.isEmpty()) return;
    // In one insertion; with sorting on, Qt would take them one by one (and in reverse order).
    // Turned on again, sorting places them by the column the user chose, if any.
    setSortingEnabled(false);
    addTopLevelItems(m_pending);
    setSortingEnabled(true);
    scrollToItem(m_pending.last());
    measure(m_pending);
    m_pending.clear();
    m_hint->hide();
    placeColumns();
    emit rowsShown();
}

void ResultsList::measure(const QList<QTreeWidgetItem*>& items) {
    QHeaderView* head = header();
    for (int column = 0; column < kColumnCount; ++column)
        m_contentWidths[column] = std::max(m_contentWidths[column], head->sectionSizeHint(column));
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QStyleOptionViewItem word = option;
    word.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    word.text = outcomeText(ConversionRow());
    m_outcomeWidth = style()->sizeFromContents(QStyle::CT_ItemViewItem, &word, {}, this).width();
    for (QTreeWidgetItem* item : items) {
        for (int column = 0; column < kColumnCount; ++column) {
            const int width = itemDelegate()->sizeHint(option, indexFromItem(item, column)).width();
            m_contentWidths[column] = std::max(m_contentWidths[column], width);
        }
    }
}

void ResultsList::placeColumns() {
    if (!m_autoColumns) return;
    std::array<int, kColumnCount> widths = m_contentWidths;
    // The numbers keep their width; the other columns share the rest.
    int shared = viewport()->width() - widths[kSteps] - widths[kPlayingTime];
    std::vector<int> names{kSource, kOutcome, kFolder, kTarget};
    int wanted = 0;
    for (const int column : names)
        wanted += widths[column];
    if (wanted > shared) {
        // Those narrower than a common level show whole; the others are cut to that level.
        std::sort(names.begin(), names.end(), [&](int a, int b) { return widths[a] < widths[b]; });
        auto column = names.begin();
        for (; column != names.end(); ++column) {
            const int left = static_cast<int>(names.end() - column);
            if (widths[*column] * left > shared) break;
            shared -= widths[*column];
        }
        const int left = static_cast<int>(names.end() - column);
        const int level = left > 0 ? std::max(0, shared / left) : 0;
        for (auto cut = column; cut != names.end(); ++cut)
            widths[*cut] = level;
        shared -= level * left;
    } else {
        shared -= wanted;
    }
    // What is over goes to the folder, whose text is cut first and is often the longest; the
    // outcome keeps room for its shortest word, from the folder too.
    widths[kFolder] += std::max(0, shared);
    const int outcome = std::min(m_contentWidths[kOutcome], m_outcomeWidth);
    if (widths[kOutcome] < outcome) {
        widths[kFolder] = std::max(0, widths[kFolder] - (outcome - widths[kOutcome]));
        widths[kOutcome] = outcome;
    }
    m_placing = true;
    for (int column = 0; column < kColumnCount; ++column)
        header()->resizeSection(column, widths[column]);
    m_placing = false;
}

void ResultsList::fitColumns() {
    m_autoColumns = true;
    placeColumns();
}

int ResultsList::fittingWidth() const {
    int width = 0;
    for (const int column : m_contentWidths)
        width += column;
    // The frame, and room for a vertical scroll bar whether it shows yet or not.
    width += 2 * frameWidth();
    return width + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

void ResultsList::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    placeColumns();
}

void ResultsList::changeEvent(QEvent* event) {
    QTreeWidget::changeEvent(event);
    if (event->type() != QEvent::FontChange && event->type() != QEvent::StyleChange) return;
    m_contentWidths = {};
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < topLevelItemCount(); ++i)
        items << topLevelItem(i);
    measure(items);
    placeColumns();
}

bool ResultsList::selectNextProblem(bool fromTop) {
    showNewRows();
    const int start = fromTop || !currentItem() ? 0 : indexOfTopLevelItem(currentItem()) + 1;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem((start + i) % topLevelItemCount());
        const ConversionRow* found = row(item);
        if (!found || !found->hasProblems() || found->outcome == ConversionRow::Outcome::Stopped)
            continue;
        // Selected as well as current, also when it was current already.
        setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollToItem(item);
        return true;
    }
    return false;
}

const ConversionRow* ResultsList::row(const QTreeWidgetItem* item) const {
    if (!item) return nullptr;
    const QVariant at = item->data(kSource, kRowRole);
    return at.isValid() ? &m_rows[at.toUInt()] : nullptr;
}

QString ResultsList::selectionText() const {
    QStringList lines;
    QStringList cells;
    for (int column = 0; column < kColumnCount; ++column)
        cells << headerItem()->text(column);
    lines << cells.join(QLatin1Char('\t'));
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = topLevelItem(i);
        if (!item->isSelected()) continue;
        cells.clear();
        for (int column = 0; column < kColumnCount; ++column)
            cells << item->text(column);
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void ResultsList::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(selectionText());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

}  // namespace z2o
