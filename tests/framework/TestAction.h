#pragma once
#include "framework/QxAction.h"
#include "tests/support/FakeHostLink.h"

// The smallest concrete action: the framework's behaviour without a device.
class TestAction : public QxAction {
public:
    explicit TestAction(FakeHostLink* host) : QxAction(host, reinterpret_cast<void*>(0x42)) {}
    AnsiString NazwaZasobuDzielonego() override { return "TEST"; }
};

inline const char kMark = '\x01';
