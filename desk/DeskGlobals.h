// The desk's process-wide state: the one client, the settings, the order
// maps with their lists, and the values the dialogs carry in and out.
// Touched by the GUI thread only.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "client/KestoBrimoClientAsync.h"
#include "desk/ListView.h"
#include "desk/Settings.h"
#include "protocol/KestoRecords.h"

using KestoOrderMap = std::map<std::int32_t, KestoOrder>;

extern KestoOrderMap NewOrders;  // published orders offered to this service, by OrderId
extern KestoOrderMap MyOrders;   // this service's own orders, by OrderId
extern KestoOrder CurOrder;      // composed by the new-order dialog
extern std::string CarDescription;
extern std::string CarGovNumber;
extern KestoBrimoClientAsync Client;
extern IniFile MainIniFile;

// The main window's lists; null while there is no main window.
extern KestoListView* NewList;
extern KestoListView* MyList;

extern std::int32_t ChOrderStatus;
extern float ChOrderPrice;
extern std::int32_t CarCallNumber;
extern std::int32_t ToCarMin;
extern std::int32_t ClientTariffPublisher;
extern std::int32_t ClientTariffAceptor;
extern std::int32_t ClientTariffCityId;
extern std::int32_t Mode;          // notification mode: 0 all, 1 newer than BeginTime seconds, 2 interval
extern std::int64_t BeginTime;     // mode 1: an age in seconds; mode 2: the interval's start
extern std::int64_t EndTime;
extern std::int32_t DlgOrderId;
