// Definitions of the desk's globals. Within this file they are constructed in
// the order written and destroyed in reverse, so the client outlives the
// settings and is gone before the order maps.
#include "desk/DeskGlobals.h"

KestoOrderMap NewOrders;
KestoOrderMap MyOrders;
KestoOrder CurOrder;
std::string CarDescription;
std::string CarGovNumber;
KestoBrimoClientAsync Client;
IniFile MainIniFile;

KestoListView* NewList = nullptr;
KestoListView* MyList = nullptr;

std::int32_t ChOrderStatus = 0;
float ChOrderPrice = 0;
std::int32_t CarCallNumber = 0;
std::int32_t ToCarMin = 0;
std::int32_t ClientTariffPublisher = 0;
std::int32_t ClientTariffAceptor = 0;
std::int32_t ClientTariffCityId = 0;
std::int32_t Mode = 1;
std::int64_t BeginTime = 86400;
std::int64_t EndTime = 0;
std::int32_t DlgOrderId = 0;
