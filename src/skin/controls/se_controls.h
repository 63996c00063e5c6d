#pragma once

// The program's controls. Each is an ordinary Qt widget under the program's design name; it paints its
// plain look and carries the name of the top-level skin object it asks its skin engine for, so the skin
// engine can take over its painting without the rest of the program noticing.

#include "platform/model/list_row.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include <vector>

// What every skinned control adds to its base control.
class TSeSkinClient
{
public:
    explicit TSeSkinClient(QString skinObject) : m_skinObject(std::move(skinObject)) {}
    virtual ~TSeSkinClient() = default;
    QString SkinObject() const { return m_skinObject; }
    void setSkinObject(const QString& name) { m_skinObject = name; }
    static QString Version() { return QStringLiteral("3.2.0"); }

private:
    QString m_skinObject;
};

// The shared small icons of the list views: index 0 MP3, 1 RM, 2 WMA, 3 ASF, 4 RAM; any other index
// stands for no icon.
class TImageList
{
public:
    void Clear() { m_images.clear(); }
    void Add(const QPixmap& image) { m_images.push_back(image); }
    int Count() const { return static_cast<int>(m_images.size()); }
    QPixmap image(int index) const;
    QIcon icon(int index) const;

private:
    QList<QPixmap> m_images;
};

class TSeSkinButton : public QPushButton, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinButton(const QString& caption, QWidget* parent = nullptr);
};

class TSeSkinSpeedButton : public QToolButton, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinSpeedButton(const QString& caption, QWidget* parent = nullptr);
};

class TSeSkinEdit : public QLineEdit, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinEdit(QWidget* parent = nullptr);
};

// A multi-line edit; its lines are the paragraphs of the text.
class TSeSkinMemo : public QPlainTextEdit, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinMemo(QWidget* parent = nullptr);
    void Clear() { clear(); }
    void Add(const QString& line) { appendPlainText(line); }
    QStringList Lines() const;
    // The lines as shown: every wrapped piece of a paragraph counts as a line of its own.
    QStringList visualLines() const;
};

class TSeSkinComboBox : public QComboBox, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinComboBox(QWidget* parent = nullptr);
};

// A progress bar whose position is stored unchanged even outside its range (the plain look shows it
// clamped).
class TSeSkinProgressBar : public QProgressBar, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinProgressBar(QWidget* parent = nullptr);
    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    void setMin(int value);
    void setMax(int value);
    void setPosition(int value);

private:
    void sync();
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
};

// A panel: a frame with an optional caption strip across its top.
class TSeSkinPanel : public QFrame, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinPanel(const QString& caption, QWidget* parent = nullptr);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    bool ShowCaption() const { return m_showCaption; }
    void setShowCaption(bool show);
    int captionHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
    bool m_showCaption = false;
};

class TSeSkinToolBar : public QFrame, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinToolBar(QWidget* parent = nullptr);
    // Appends a control at the right end of the bar.
    void addControl(QWidget* control, int gapBefore = 0);

private:
    int m_nextLeft = 2;
};

class TSeSkinLabel : public QLabel, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinLabel(const QString& caption, QWidget* parent = nullptr);
};

// A status bar of fixed-width text panels, left to right.
class TSeSkinStatusBar : public QFrame, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinStatusBar(const std::vector<int>& widths, QWidget* parent = nullptr);
    int panelCount() const { return static_cast<int>(m_panels.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    QLabel* panel(int index) const { return m_panels.at(index); }

private:
    std::vector<QLabel*> m_panels;
};

class TSeSkinPopupMenu : public QMenu, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinPopupMenu(QWidget* parent = nullptr);
};

// A report-style list view: a caption column followed by sub-item columns. Rows are addressed by index;
// a row's sub-items are the texts of its further columns, and a row may carry fewer sub-items than there
// are columns.
class TSeSkinSListView : public QTreeWidget, public TSeSkinClient
{
    Q_OBJECT
public:
    explicit TSeSkinSListView(QWidget* parent = nullptr);

    void setColumns(const QStringList& headers, const QList<int>& widths);
    void setImages(const TImageList* images);
    void setMultiSelect(bool multi);
    // The icon shown in the header of the caption column (an index into the image list).
    void setHeaderImage(int imageIndex);
    int headerImage() const { return m_headerImage; }

    int Count() const { return topLevelItemCount(); }
    lanseek::platform::ListRow row(int index) const;
    void setRow(int index, const lanseek::platform::ListRow& row);
    // Appends a row and returns its index.
    int appendRow(const lanseek::platform::ListRow& row);
    void deleteRow(int index);
    void Clear() { clear(); }
    int subItemCount(int index) const;
    QString subItem(int index, int sub) const;
    void setSubItem(int index, int sub, const QString& text);
    QString caption(int index) const;

    bool isRowSelected(int index) const;
    void setRowSelected(int index, bool selected);
    std::vector<int> selectedRowIndexes() const; // in list order
    int firstSelectedRow() const;                // -1 when none

signals:
    // A row became selected (true) or was deselected (false).
    void rowSelectionChanged(int index, bool selected);

private:
    void applyImage(QTreeWidgetItem* item, int imageIndex) const;
    void onSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

    const TImageList* m_images = nullptr;
    int m_headerImage = -1;
};
