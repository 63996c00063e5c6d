#include "skin/objects/class_registry.h"

#include "skin/objects/bitmap_box_objects.h"
#include "skin/objects/colour_objects.h"
#include "skin/objects/panel_objects.h"
#include "skin/objects/system_button.h"

namespace lanseek::skin {

namespace {

template <typename T> std::unique_ptr<TSeSkinObject> make()
{
    return std::make_unique<T>();
}

// Stored skins name classes by these names; the order is the one the class list has always had.
constexpr SkinObjectClass kClasses[] = {
    {&kLinkSkinObjectTable, &make<TSeLinkSkinObject>},
    {&kBitmapSkinObjectTable, &make<TSeBitmapSkinObject>},
    {&kFormBitmapSkinObjectTable, &make<TSeFormBitmapSkinObject>},
    {&kSysButtonSkinObjectTable, &make<TSeSysButtonSkinObject>},
    {&kActiveSkinObjectTable, &make<TSeActiveSkinObject>},
    {&kColorButtonObjectTable, &make<TSeColorButtonObject>},
    {&kBitmapBoxObjectTable, &make<TSeBitmapBoxObject>},
    {&kActiveBitmapBoxObjectTable, &make<TSeActiveBitmapBoxObject>},
    {&kButtonBitmapBoxObjectTable, &make<TSeButtonBitmapBoxObject>},
    {&kRollPanelObjectTable, &make<TSeRollPanelObject>},
    {&kSkinObjectTable, &make<TSeSkinObject>},
    {&kActiveObjectTable, &make<TSeActiveObject>},
    {&kBitmapObjectTable, &make<TSeBitmapObject>},
    {&kActiveBitmapTable, &make<TSeActiveBitmap>},
    {&kSystemButtonTable, &make<TSeSystemButton>},
    {&kButtonObjectTable, &make<TSeButtonObject>},
    {&kTextObjectTable, &make<TSeTextObject>},
};

} // namespace

std::span<const SkinObjectClass> skinObjectClasses()
{
    return kClasses;
}

const SkinObjectClass* findSkinObjectClass(const QByteArray& className)
{
    for (const SkinObjectClass& c : kClasses) {
        if (className == c.name())
            return &c;
    }
    return nullptr;
}

const QList<QByteArray>& skinObjectClassNames()
{
    static const QList<QByteArray> names = [] {
        QList<QByteArray> out;
        for (const SkinObjectClass& c : kClasses)
            out.append(c.name());
        return out;
    }();
    return names;
}

std::unique_ptr<TSeSkinObject> createSkinObject(const QByteArray& className)
{
    const SkinObjectClass* c = findSkinObjectClass(className);
    return c ? c->create() : nullptr;
}

} // namespace lanseek::skin
