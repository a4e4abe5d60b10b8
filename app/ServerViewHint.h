#pragma once

#include <QString>

class TAddressList;

// What the empty server view says: which addresses are polled (a few, then
// how many more) and where servers are added.
QString ServerViewHint(const TAddressList& addresses);
