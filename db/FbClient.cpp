#include "db/FbClient.h"

Firebird::IMaster* FbClient::Master() {
    static Firebird::IMaster* master = Firebird::fb_get_master_interface();
    return master;
}

Firebird::IUtil* FbClient::Util() {
    static Firebird::IUtil* util = Master()->getUtilInterface();
    return util;
}
