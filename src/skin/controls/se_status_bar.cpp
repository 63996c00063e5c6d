#include "skin/controls/se_status_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

using namespace lanseek::skin;

TSeSkinStatusBar::TSeSkinStatusBar(const std::vector<int>& widths, QWidget* parent)
    : SkinnedWidget("StatusBar", parent)
{
    setFrameShape(QFrame::StyledPanel);
    setKeepsPainting(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(2);
    for (int width : widths) {
        auto* label = new QLabel(this);
        label->setFixedWidth(width);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        m_panels.push_back(label);
        row->addWidget(label);
    }
    row->addStretch(1);
}

QString TSeSkinStatusBar::panelText(int index) const
{
    if (index < 0 || index >= panelCount())
        return {};
    return m_panels[index]->text();
}

void TSeSkinStatusBar::setPanelText(int index, const QString& text)
{
    if (index < 0 || index >= panelCount())
        return;
    m_panels[index]->setText(text);
    m_panels[index]->setAccessibleName(text);
}

QRect TSeSkinStatusBar::gripRect() const
{
    // The grip sizes the window only when nothing between the bar and its window is of fixed size (a
    // skinned frame holds the program's window as its client).
    bool resizable = true;
    for (const QWidget* w = parentWidget(); w && resizable; w = w->isWindow() ? nullptr : w->parentWidget())
        resizable = w->minimumSize() != w->maximumSize();
    if (!m_sizeGrip || !resizable)
        return {};
    QSize size(12, 12);
    if (const TSeSkinObject* grip = skinPart("Gripper"); grip && grip->width() > 0 && grip->height() > 0)
        size = QSize(grip->width(), grip->height());
    return QRect(width() - size.width(), height() - size.height(), size.width(), size.height());
}

void TSeSkinStatusBar::skinChanged()
{
    // The panels write their texts themselves, in the "Panel" font, over what the bar has drawn.
    const TSeSkinObject* face = isSkinned() ? skinPart("Panel") : nullptr;
    if (face) {
        m_lookApplied = true;
        for (QLabel* label : m_panels) {
            label->setFrameShape(QFrame::NoFrame);
            label->setFont(fontOf(*face));
            QPalette pal = label->palette();
            pal.setColor(QPalette::WindowText, fontColorOf(*face));
            label->setPalette(pal);
            label->setIndent(face->TextMarginLeft);
        }
    } else if (m_lookApplied) {
        m_lookApplied = false;
        for (QLabel* label : m_panels) {
            label->setFrameShape(QFrame::StyledPanel);
            label->setFont(QFont());
            label->setPalette(QPalette());
            label->setIndent(-1);
        }
    }
}

std::optional<std::size_t> TSeSkinStatusBar::faceKey() const
{
    const QRect grip = gripRect();
    std::size_t key = qHashMulti(0, enabledState(), grip.x(), grip.y(), grip.width(), grip.height());
    for (const QLabel* label : m_panels) {
        const QRect r = label->geometry();
        key = qHashMulti(key, r.x(), r.y(), r.width(), r.height());
    }
    return key;
}

void TSeSkinStatusBar::drawSkin(TSeCanvas& canvas)
{
    const int state = enabledState();
    TSeSkinObject* frame = skinPartOrCopy("Frame");
    const QRegion whole = canvas.clip;
    QRegion bar = whole;
    for (const QLabel* label : m_panels)
        bar -= label->geometry();
    canvas.clip = bar;
    drawPart(canvas, frame, rect(), state);
    TSeSkinObject* face = skinPart("Panel");
    for (const QLabel* label : m_panels) {
        canvas.clip = whole & QRegion(label->geometry());
        drawPart(canvas, frame, rect(), state);
        drawPart(canvas, face, label->geometry(), state);
    }
    canvas.clip = whole;
    drawPart(canvas, skinPart("Gripper"), gripRect(), state);
}
