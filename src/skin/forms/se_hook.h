#pragma once

// The component that watches a window's events on behalf of the frame: an event filter on its owner.

#include <QObject>
#include <QPointer>
#include <QWidget>

class TSeHook : public QObject
{
    Q_OBJECT
public:
    explicit TSeHook(QWidget* owner);
    ~TSeHook() override;

    QWidget* owner() const { return m_owner; }

protected:
    // Sees every event of the owner before the owner does; true swallows it.
    virtual bool hookEvent(QEvent* event) = 0;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_owner;
};
