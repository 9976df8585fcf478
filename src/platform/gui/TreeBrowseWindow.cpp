#include "platform/gui/TreeBrowseWindow.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// A size that shows a useful part of a deep tree and of long names at common font sizes.
constexpr int DefaultWidth = 440;
constexpr int DefaultHeight = 500;

// Shows, on the level of the tree's top item, that item alone: the file-system model has no way to
// make a folder other than "/" the single top item, and setting it as the view's root would hide it.
class TopItemFilter : public QSortFilterProxyModel
{
public:
    TopItemFilter(const QModelIndex& top, QObject* parent)
        : QSortFilterProxyModel(parent)
        , m_top(top)
    {}

protected:
    // True for every row below the top level; on the top level only for the top item.
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override
    {
        if (sourceParent != m_top.parent())
            return true;
        return sourceModel()->index(sourceRow, 0, sourceParent) == m_top;
    }

private:
    QPersistentModelIndex m_top;
};

// path as an absolute, clean path when it names an existing folder; empty otherwise.
QString existingFolder(const QString& path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    return info.isDir() ? QDir::cleanPath(info.absoluteFilePath()) : QString();
}

} // namespace

TreeBrowseWindow::TreeBrowseWindow(const BrowseDialog::Request& request)
    : QDialog(request.owner)
    , m_request(request)
{
    setWindowTitle(request.includeFiles ? QStringLiteral("Datei oder Ordner suchen")
                                        : QStringLiteral("Ordner suchen"));

    m_title = new QLabel(request.title, this);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setWordWrap(true);
    m_title->setVisible(!request.title.isEmpty());

    m_model = new QFileSystemModel(this);
    m_model->setReadOnly(true);
    QDir::Filters filters = QDir::AllDirs | QDir::NoDotAndDotDot;
    if (request.includeFiles)
        filters |= QDir::Files;
    m_model->setFilter(filters); // hidden items stay hidden, except a start item that lies among them
    m_topPath = existingFolder(request.rootPath);
    if (m_topPath.isEmpty())
        m_topPath = QStringLiteral("/");
    m_model->setRootPath(m_topPath);
    const QModelIndex top = m_model->index(m_topPath);

    m_proxy = new TopItemFilter(top, this);
    m_proxy->setSourceModel(m_model);

    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->setModel(m_proxy);
    m_tree->setRootIndex(m_proxy->mapFromSource(top.parent()));
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setUniformRowHeights(true);
    m_tree->expand(m_proxy->mapFromSource(top));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLine"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setFont(request.statusFont);
    // The text is shortened to the line's width by whoever makes it; it must not widen the window.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_status->setVisible(request.statusLine);
    m_status->installEventFilter(this);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->setObjectName(QStringLiteral("buttons"));
    okButton()->setText(QStringLiteral("OK"));
    cancelButton()->setText(QStringLiteral("Abbrechen"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &TreeBrowseWindow::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &TreeBrowseWindow::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_buttons);

    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { selectionChanged(); });
    // A double click opens a folder (the view's own reaction) and confirms a file.
    connect(m_tree, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!m_model->isDir(m_proxy->mapToSource(index)))
            accept();
    });

    if (request.newStyle) {
        resize(DefaultWidth, DefaultHeight);
        setSizeGripEnabled(true);
    } else {
        setFixedSize(DefaultWidth, DefaultHeight);
    }
    m_tree->setFocus();
    selectPath(request.startPath);
    selectionChanged();

    m_followSelection = m_tree->currentIndex().isValid();
    connect(m_proxy, &QAbstractItemModel::rowsInserted, this, [this] { keepSelectionInView(); });
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, [this] { keepSelectionInView(); });
    connect(m_tree->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { m_followSelection = false; });
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
}

QPushButton* TreeBrowseWindow::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

QPushButton* TreeBrowseWindow::cancelButton() const
{
    return m_buttons->button(QDialogButtonBox::Cancel);
}

// The view index of an absolute, clean path; invalid when the model or the top-item filter has none.
QModelIndex TreeBrowseWindow::viewIndex(const QString& path) const
{
    return m_proxy->mapFromSource(m_model->index(path));
}

bool TreeBrowseWindow::selectPath(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists() || (!m_request.includeFiles && !info.isDir()))
        return false;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    const bool belowTop = m_topPath == QLatin1String("/") || clean == m_topPath ||
                          clean.startsWith(m_topPath + QLatin1Char('/'));
    if (!belowTop)
        return false;
    const QModelIndex index = viewIndex(clean);
    if (!index.isValid())
        return false;
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    return true;
}

QString TreeBrowseWindow::selectedPath() const
{
    const QModelIndexList rows = m_tree->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return QString();
    return m_model->filePath(m_proxy->mapToSource(rows.first()));
}

// Brings OK and the status line in line with the selection.
void TreeBrowseWindow::selectionChanged()
{
    const QString path = selectedPath();
    okButton()->setEnabled(!path.isEmpty() && QFileInfo::exists(path));
    updateStatusLine();
}

// Asks the request for the status text of the selection at the line's present width.
void TreeBrowseWindow::updateStatusLine()
{
    if (!m_request.statusLine || !m_request.statusText)
        return;
    m_status->setText(m_request.statusText(selectedPath(), m_status->width()));
}

void TreeBrowseWindow::accept()
{
    const QString path = selectedPath();
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        selectionChanged(); // it vanished since it was selected
        return;
    }
    m_confirmed = path;
    QDialog::accept();
}

void TreeBrowseWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Only now has the view its size; the selection made in the constructor may lie outside it.
    if (!m_scrolledOnShow) {
        m_scrolledOnShow = true;
        if (m_tree->currentIndex().isValid())
            m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    }
    updateStatusLine();
}

bool TreeBrowseWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_status && event->type() == QEvent::Resize)
        updateStatusLine(); // the text is shortened to the line's width
    if (m_tree && (watched == m_tree || watched == m_tree->viewport()) &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress ||
         event->type() == QEvent::Wheel))
        m_followSelection = false; // the user has taken over
    return QDialog::eventFilter(watched, event);
}

// Scrolls the selection back into view once the model's pending changes are done, while the user has
// not yet touched the tree.
void TreeBrowseWindow::keepSelectionInView()
{
    if (!m_followSelection || m_scrollPending)
        return;
    m_scrollPending = true;
    QTimer::singleShot(0, this, [this] {
        m_scrollPending = false;
        if (m_followSelection && m_tree->currentIndex().isValid())
            m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}
