#pragma once

// The search: starting a search, asking for the next result page, reading result and chart pages into
// the result list, and the result list's own commands. It owns the search's state (the stop flag, the
// page number, the row counter and the local address text the result pages carry) and drives the
// controls of its view; the handlers keep the names the window's design gives them.

#include "app/shared/error_policy.h"
#include "app/shared/window_links.h"
#include "platform/web/web_browser.h"
#include "search/search_query.h"
#include "skin/controls/se_controls.h"

#include <QObject>
#include <QString>

#include <map>

namespace lanseek::platform {
class Dialogs;
} // namespace lanseek::platform

namespace lanseek::app {

// The controls the search drives. The window owns them all.
struct SearchView
{
    QWidget* window = nullptr;                  // its caption shows the local address; dialogs open over it
    TSeSkinComboBox* SeSkinComboBox2 = nullptr; // engine chooser
    TSeSkinComboBox* SeSkinComboBox1 = nullptr; // media type
    TSeSkinEdit* Edit1 = nullptr;               // name box
    TSeSkinButton* Button1 = nullptr;           // "搜索"
    TSeSkinButton* Button7 = nullptr;           // hidden: harvest
    TSeSkinButton* Button9 = nullptr;           // hidden: next page
    TSeSkinSpeedButton* manlistbtn = nullptr;
    TSeSkinSpeedButton* womanlistbtn = nullptr;
    TSeSkinSpeedButton* SeSkinSpeedButton1 = nullptr; // "辑"
    TSeSkinSpeedButton* musiclist = nullptr;
    TSeSkinSpeedButton* singerlistbtn = nullptr;
    TSeSkinSpeedButton* SeSkinSpeedButton2 = nullptr; // "刷"
    TSeSkinSpeedButton* stopbtn = nullptr;
    TSeSkinLabel* resultlabel = nullptr;
    TSeSkinProgressBar* SeSkinProgressBar6 = nullptr;
    TSeSkinSListView* ListView1 = nullptr;
    TWebBrowser* WebBrowser1 = nullptr; // search browser
    TWebBrowser* WebBrowser2 = nullptr; // chart browser
    TSeSkinMemo* Memo1 = nullptr;       // page text
};

class SearchController : public QObject, public SearchText
{
public:
    SearchController(const SearchView& view, search::ServiceEndpoints service, platform::Dialogs& dialogs,
                     CardIntake& card, ErrorPolicy& errors, QObject* parent = nullptr);

    // Connects the view's controls to the handlers below.
    void wire();

    // The search service every search, chart and singer list goes to; a change applies to the next one.
    const search::ServiceEndpoints& service() const { return m_service; }
    void setService(const search::ServiceEndpoints& service) { m_service = service; }

    QString searchText() const override;

    // The engine chooser's entries beside the default service: the LAN's services as they come and go,
    // and the aggregator that searches them all at once. A chosen entry whose service goes away gives
    // way to the default service.
    void addLanService(const QString& name, const QString& base); // adds it, or moves it to a new base
    void removeLanService(const QString& name);
    void setLanAggregator(const QString& base); // empty: no "局域网全部" entry
    void SeSkinComboBox2Change();

    bool stopFlag() const { return m_stopFlag; }
    void setStopFlag(bool stop) { m_stopFlag = stop; }
    int pageNumber() const { return m_pageNumber; }
    void setPageNumber(int page) { m_pageNumber = page; }
    int rowCounter() const { return m_rowCounter; }
    void setRowCounter(int rows) { m_rowCounter = rows; }
    const QString& localIp() const { return m_localIp; }
    void setLocalIp(const QString& ip) { m_localIp = ip; }

    void Button1Click();
    void SeSkinComboBox1Change();
    void Button9Click();
    void WebBrowser1DocumentComplete();
    void WebBrowser1ProgressChange(int progress, int progressMax);
    void Button7Click(); // reads the page in Memo1 and the search browser's links into result rows
    void ListView1SelectItem(int index, bool selected);
    void ListView1DblClick();
    void stopbtnClick();
    void SeSkinSpeedButton2Click(); // refresh
    void manlistbtnClick();
    void womanlistbtnClick();
    void musiclistClick();
    void singerlistbtnClick();
    void menubtnClick(); // album search ("辑")
    void WebBrowser2DocumentComplete();
    void WebBrowser2ProgressChange(int progress, int progressMax);

private:
    void loadChartPage(const QString& path); // the four chart buttons differ only in the page
    void refreshEngineChooser();

    SearchView m_view;
    search::ServiceEndpoints m_service;
    const search::ServiceEndpoints m_defaultService;
    QString m_aggregatorBase;
    std::map<QString, QString> m_lanServices; // name -> base
    platform::Dialogs& m_dialogs;
    CardIntake& m_card;
    ErrorPolicy& m_errors;
    bool m_stopFlag = false;
    int m_pageNumber = 2;
    int m_rowCounter = 0;
    QString m_localIp;
};

} // namespace lanseek::app
