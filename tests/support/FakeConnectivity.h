#pragma once
// A connection state set by the test; installed for its lifetime.
#include "platform/Connectivity.h"

class FakeConnectivity final : public IConnectivity {
public:
    explicit FakeConnectivity(bool connected = true) : connected(connected) { SetConnectivity(this); }
    ~FakeConnectivity() override { SetConnectivity(nullptr); }
    FakeConnectivity(const FakeConnectivity&) = delete;
    FakeConnectivity& operator=(const FakeConnectivity&) = delete;

    bool IsConnected() override
    {
        ++queries;
        return connected;
    }

    void SetConnected(bool value) { connected = value; }
    int Queries() const { return queries; }

private:
    bool connected;
    int queries = 0;
};
