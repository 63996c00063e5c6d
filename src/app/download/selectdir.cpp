#include "app/download/selectdir.h"

#include "platform/ui/folder_tree.h"
#include "skin/skin_engine.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTreeView>

TForm2::TForm2(QWidget* owner, TSeSkinEngine* engine, lanseek::app::ErrorPolicy& errors, FolderChosen chosen)
    : QWidget(owner, Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint), m_errors(errors),
      m_chosen(std::move(chosen))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("选择保存目录"));
    setFixedSize(158, 264);

    ShellTreeView1 = new QTreeView(this);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->header()->hide();
    ShellTreeView1->setRootIsDecorated(true);
    ShellTreeView1->setUniformRowHeights(true);
    ShellTreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ShellTreeView1->setGeometry(0, 0, 158, 218);
    // A right click selects as well.
    ShellTreeView1->setContextMenuPolicy(Qt::PreventContextMenu);

    pathedit = new TSeSkinEdit(this);
    pathedit->setObjectName(QStringLiteral("pathedit"));
    pathedit->setGeometry(0, 218, 158, 22);

    pathbtn = new TSeSkinButton(QStringLiteral("确定"), this);
    pathbtn->setObjectName(QStringLiteral("pathbtn"));
    pathbtn->setGeometry(0, 240, 158, 24);

    // The chooser is dressed by the main window's first engine, like the main window's own edits and
    // buttons.
    pathedit->setSkinEngine(engine);
    pathbtn->setSkinEngine(engine);
    if (TSeSkinObject* form = engine ? engine->formObject() : nullptr) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, lanseek::skin::toQColor(form->Color));
        setPalette(pal);
    }

    connect(ShellTreeView1, &QTreeView::clicked, this,
            [this] { lanseek::app::guarded(m_errors, [this] { ShellTreeView1Click(); }); });
    connect(ShellTreeView1, &QTreeView::pressed, this, [this] {
        if (QGuiApplication::mouseButtons() & Qt::RightButton)
            lanseek::app::guarded(m_errors, [this] { ShellTreeView1Click(); });
    });
    connect(pathbtn, &QPushButton::clicked, this,
            [this] { lanseek::app::guarded(m_errors, [this] { pathbtnClick(); }); });
    hide();

    // Its frame: a standard window with close and minimize, drawn with the main window's first skin.
    SeSkinForm1 = std::make_unique<TSeSkinForm>(this);
    SeSkinForm1->setObjectName(QStringLiteral("SeSkinForm1"));
    SeSkinForm1->BorderIcons = {kbiClose, kbiMinimize};
    SeSkinForm1->setBorderStyle(kbsStandard);
    SeSkinForm1->setCaption(QStringLiteral("选择保存目录"));
    SeSkinForm1->setSkinEngine(engine);
}

TForm2::~TForm2() = default;

lanseek::platform::FolderTreeModel* TForm2::folderModel()
{
    if (!m_model) {
        // Folders only, starting at the home folder, its music and downloads folders, mounted volumes and
        // the root of the file system. Each of them is a top-level entry, so they carry the open indicator
        // too.
        m_model = new lanseek::platform::FolderTreeModel(this);
        ShellTreeView1->setModel(m_model);
    }
    return m_model;
}

void TForm2::showEvent(QShowEvent* event)
{
    folderModel();
    QWidget::showEvent(event);
}

void TForm2::showChooser()
{
    fitCaption();
    // The window the desktop sees is the frame around the chooser.
    QWidget* frame = window();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        frame->move(desk.center() - QPoint(frame->width() / 2, frame->height() / 2));
    }
    show();
    frame->raise();
    frame->activateWindow();
}

void TForm2::fitCaption()
{
    // The chooser is as wide as its caption needs in the skin it wears (its design width is not, once
    // the window is scaled to the screen or wears another skin); its controls span the width.
    const int lack = SeSkinForm1->captionShortfall();
    if (lack <= 0)
        return;
    setFixedSize(width() + lack, height());
    for (QWidget* part : {static_cast<QWidget*>(ShellTreeView1), static_cast<QWidget*>(pathedit),
                          static_cast<QWidget*>(pathbtn)})
        part->resize(width(), part->height());
}

void TForm2::ShellTreeView1Click()
{
    const QModelIndex current = ShellTreeView1->currentIndex();
    pathedit->setText(current.isValid() ? folderModel()->filePath(current) : QString());
}

void TForm2::pathbtnClick()
{
    if (m_chosen)
        m_chosen(pathedit->text());
    hide();
}
