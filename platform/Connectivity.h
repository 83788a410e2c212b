#pragma once
// Whether the machine has a network connection worth trying.
class IConnectivity {
public:
    virtual ~IConnectivity() = default;
    virtual bool IsConnected() = 0;
};

IConnectivity& Connectivity();
void SetConnectivity(IConnectivity* connectivity); // nullptr restores the system's
