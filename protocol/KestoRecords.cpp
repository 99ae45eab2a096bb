// Behaviour of the records beyond their defaults: clearing an order.
#include "protocol/KestoRecords.h"

void KestoOrder::Clear() {
  *this = KestoOrder();
  CityIdFrom = 0;
  CityIdTo = 0;
  Time0Km1Fixed2 = 0;
  StatusId = 0;
}
