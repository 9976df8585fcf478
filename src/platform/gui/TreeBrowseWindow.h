#pragma once

#include "platform/gui/BrowseDialog.h"

#include <QDialog>
#include <QPersistentModelIndex>
#include <QString>

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTreeView;

// The window of TreeBrowseDialog: the request's title above a tree of the file system whose top item
// is the request's root (or "/"), an optional status line, and "OK" / "Abbrechen". OK is enabled only
// while an existing file-system item is selected.
class TreeBrowseWindow : public QDialog
{
    Q_OBJECT
public:
    explicit TreeBrowseWindow(const BrowseDialog::Request& request);

    // Selects path in the tree and scrolls to it. False (selection unchanged) when path is not an
    // existing item below the tree's top.
    bool selectPath(const QString& path);
    // The selected item's path; empty when nothing is selected.
    QString selectedPath() const;
    // The confirmed path after the window was accepted; empty otherwise.
    QString confirmedPath() const { return m_confirmed; }
    // The top item's path ("/" without a root).
    QString topPath() const { return m_topPath; }

    QTreeView* tree() const { return m_tree; }
    QLabel* titleLabel() const { return m_title; }
    QLabel* statusLine() const { return m_status; }
    QPushButton* okButton() const;
    QPushButton* cancelButton() const;

    // Confirms only an item that still exists; otherwise the window stays open with OK disabled.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectionChanged();
    void updateStatusLine();
    QModelIndex viewIndex(const QString& path) const;
    void keepSelectionInView();

    BrowseDialog::Request m_request;
    QString m_topPath;
    QString m_confirmed;
    QFileSystemModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    QTreeView* m_tree = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_status = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    bool m_scrolledOnShow = false;
    // The tree fills in the background and rows above the start item push it out of view; until the
    // user touches the tree, it is scrolled back after every such change.
    bool m_followSelection = false;
    bool m_scrollPending = false;
};
