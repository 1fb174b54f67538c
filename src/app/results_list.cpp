#include "app/results_list.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "convert/clock_text.h"

namespace z2o {

QString errorCountText(int errors) {
    return errors == 1 ? QObject::tr("1 error") : QObject::tr("%1 errors").arg(errors);
}

QString outcomeText(const ConversionRow& row) {
    switch (row.outcome) {
        case ConversionRow::Outcome::Converted:
            return row.errors == 0
                       ? QObject::tr("converted")
                       : QObject::tr("converted with %1").arg(errorCountText(row.errors));
        case ConversionRow::Outcome::NotConverted:
            return row.reason.isEmpty() ? QObject::tr("not converted")
                                        : QObject::tr("not converted: %1").arg(row.reason);
        case ConversionRow::Outcome::NotFound:
            return QObject::tr("not found");
        case ConversionRow::Outcome::Stopped:
            return QObject::tr("stopped");
    }
    return {};
}

ResultsList::ResultsList(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("lstResults"));
    setHeaderLabels(
        {tr("Source"), tr("Folder"), tr("Target"), tr("Steps"), tr("Playing time"), tr("Outcome")});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
    // Room for typical names in the window's first size; the user widens what needs more.
    const int widths[] = {110, 80, 110, 45, 90};
    for (int column = 0; column < 5; ++column)
        setColumnWidth(column, widths[column]);
    headerItem()->setTextAlignment(3, Qt::AlignRight);
    headerItem()->setTextAlignment(4, Qt::AlignRight);

    m_hint = new QLabel(
        tr("Use the Files menu, or drop sessions, albums or folders here, to convert them."));
    m_hint->setObjectName(QStringLiteral("lstResultsHint"));
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setWordWrap(true);
    m_hint->setEnabled(false);  // drawn greyed, as a hint rather than content
    // Drops and the context menu reach the list through it.
    m_hint->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(viewport());
    layout->addWidget(m_hint);

    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (!targetPath(item).isEmpty()) emit openTargetFolder(targetPath(item));
    });
}

void ResultsList::addRow(const ConversionRow& row) {
    const QFileInfo source(row.sourcePath);
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, source.fileName());
    item->setText(1, source.absolutePath());
    item->setToolTip(1, source.absolutePath());
    item->setText(2, QFileInfo(row.targetPath).fileName());
    item->setData(2, Qt::UserRole, row.targetPath);
    if (row.outcome == ConversionRow::Outcome::Converted) {
        item->setText(3, QString::number(row.steps));
        if (row.playingTenths >= 0)
            item->setText(4, QString::fromStdString(clockText(row.playingTenths)));
    }
    item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(5, outcomeText(row));
    item->setToolTip(5, item->text(5));
    m_hint->hide();
    scrollToItem(item);
}

QString ResultsList::targetPath(const QTreeWidgetItem* item) {
    return item ? item->data(2, Qt::UserRole).toString() : QString();
}

void ResultsList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !targetPath(currentItem()).isEmpty()) {
        emit openTargetFolder(targetPath(currentItem()));
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

}  // namespace z2o
