#include "platform/Connectivity.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

namespace {
// Reachability from the platform when a backend loads; otherwise any
// non-loopback interface that is up and running counts as connected.
class SystemConnectivity final : public IConnectivity {
public:
    bool IsConnected() override
    {
        if (!triedBackend) {
            triedBackend = true;
            QNetworkInformation::loadDefaultBackend();
        }
        if (QNetworkInformation* info = QNetworkInformation::instance()) {
            const auto r = info->reachability();
            if (r != QNetworkInformation::Reachability::Unknown)
                return r == QNetworkInformation::Reachability::Online
                    || r == QNetworkInformation::Reachability::Site;
        }
        const auto interfaces = QNetworkInterface::allInterfaces();
        for (const QNetworkInterface& ni : interfaces) {
            const auto flags = ni.flags();
            if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning)
                && !flags.testFlag(QNetworkInterface::IsLoopBack))
                return true;
        }
        return false;
    }

private:
    bool triedBackend = false;
};

IConnectivity* current = nullptr;
} // namespace

IConnectivity& Connectivity()
{
    static SystemConnectivity system;
    return current ? *current : system;
}

void SetConnectivity(IConnectivity* connectivity) { current = connectivity; }
