// Connects the search controls to their handlers.

#include "app/search/search_controller.h"

#include "platform/web/web_browser.h"
#include "skin/controls/se_controls.h"

#include <QTreeWidget>

namespace lanseek::app {

void SearchController::wire()
{
    const SearchView& v = m_view;
    const auto click = [this](QAbstractButton* button, void (SearchController::*handler)()) {
        connectGuarded(button, &QAbstractButton::clicked, this, m_errors, handler);
    };
    click(v.Button1, &SearchController::Button1Click);
    click(v.Button9, &SearchController::Button9Click);
    click(v.Button7, &SearchController::Button7Click);
    click(v.stopbtn, &SearchController::stopbtnClick);
    click(v.SeSkinSpeedButton2, &SearchController::SeSkinSpeedButton2Click);
    // Charts, singer lists and albums.
    click(v.manlistbtn, &SearchController::manlistbtnClick);
    click(v.womanlistbtn, &SearchController::womanlistbtnClick);
    click(v.musiclist, &SearchController::musiclistClick);
    click(v.singerlistbtn, &SearchController::singerlistbtnClick);
    click(v.SeSkinSpeedButton1, &SearchController::menubtnClick);
    connectGuarded(v.Edit1, &QLineEdit::returnPressed, this, m_errors, &SearchController::Button1Click);
    connectGuarded(v.SeSkinComboBox1, &QComboBox::currentIndexChanged, this, m_errors,
                   &SearchController::SeSkinComboBox1Change);
    if (v.SeSkinComboBox2)
        connectGuarded(v.SeSkinComboBox2, &QComboBox::currentIndexChanged, this, m_errors,
                       &SearchController::SeSkinComboBox2Change);

    // Result pages and chart pages.
    connectGuarded(v.WebBrowser1, &TWebBrowser::OnDocumentComplete, this, m_errors,
                   &SearchController::WebBrowser1DocumentComplete);
    connectGuarded(v.WebBrowser1, &TWebBrowser::OnProgressChange, this, m_errors,
                   &SearchController::WebBrowser1ProgressChange);
    connectGuarded(v.WebBrowser2, &TWebBrowser::OnDocumentComplete, this, m_errors,
                   &SearchController::WebBrowser2DocumentComplete);
    connectGuarded(v.WebBrowser2, &TWebBrowser::OnProgressChange, this, m_errors,
                   &SearchController::WebBrowser2ProgressChange);

    // The result list.
    connectGuarded(v.ListView1, &TSeSkinSListView::rowSelectionChanged, this, m_errors,
                   &SearchController::ListView1SelectItem);
    connectGuarded(v.ListView1, &QTreeWidget::itemDoubleClicked, this, m_errors,
                   &SearchController::ListView1DblClick);
}

} // namespace lanseek::app
