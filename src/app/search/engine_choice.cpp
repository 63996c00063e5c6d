// The engine chooser: which search service the searches, charts and singer lists go to.

#include "app/search/search_controller.h"

#include "search/engine_entries.h"

#include <QSignalBlocker>

namespace lanseek::app {

void SearchController::addLanService(const QString& name, const QString& base)
{
    m_lanServices[name] = base;
    refreshEngineChooser();
}

void SearchController::removeLanService(const QString& name)
{
    if (m_lanServices.erase(name) > 0)
        refreshEngineChooser();
}

void SearchController::setLanAggregator(const QString& base)
{
    m_aggregatorBase = base;
    refreshEngineChooser();
}

void SearchController::SeSkinComboBox2Change()
{
    const QString base = m_view.SeSkinComboBox2->currentData().toString();
    m_service.base = base.isEmpty() ? m_defaultService.base : base;
}

void SearchController::refreshEngineChooser()
{
    TSeSkinComboBox* box = m_view.SeSkinComboBox2;
    if (!box)
        return;
    const QString chosen = box->currentText();
    const std::vector<search::EngineEntry> entries =
        search::engineEntries(m_defaultService.base, m_aggregatorBase, m_lanServices);
    {
        // The entries are laid anew without telling anyone; the choice is applied once, below.
        const QSignalBlocker quiet(box);
        box->clear();
        for (const search::EngineEntry& entry : entries) {
            box->addItem(entry.caption, entry.base);
            // A long name is cut short in the box; its whole caption is the entry's tip.
            box->setItemData(box->count() - 1, entry.caption, Qt::ToolTipRole);
        }
        const int kept = box->findText(chosen);
        box->setCurrentIndex(kept >= 0 ? kept : 0);
    }
    SeSkinComboBox2Change();
}

} // namespace lanseek::app
