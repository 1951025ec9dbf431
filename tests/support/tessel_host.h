// The host every library test runs in, as a PowerBuilder application is one:
// the stand-in runtime of one generation loaded, Tessel2U.dll loaded by name
// and started, DataWindow controls created on a host window and attached,
// each test's files in a folder of its own. TesselHost takes the generation
// from the run's environment; TesselHostP is the same host parameterised by
// generation and units (the units a test's grid is built in).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "grid_syntax.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "temp_folder.h"
#include "tessel_dll.h"

struct HostParams {
    int generation;
    int units;  // 0 PowerBuilder units, 1 pixels
};

inline std::ostream& operator<<(std::ostream& out, const HostParams& p) {
    return out << "generation " << p.generation << (p.units == 0 ? " in PowerBuilder units" : " in pixels");
}

// Names TEST_P instances: "G105Units0".
struct HostParamsName {
    std::string operator()(const ::testing::TestParamInfo<HostParams>& info) const {
        return "G" + std::to_string(info.param.generation) + "Units" + std::to_string(info.param.units);
    }
};

template <class Base>
class TesselHostFixture : public Base {
protected:
    void SetUp() override {
        pb.reset(new PbsimRuntime(Generation()));
        ASSERT_TRUE(pb->ok()) << "the stand-in runtime " << Generation() << " did not load";
        ASSERT_NE(dll.h, nullptr) << "Tessel2U.dll did not load";
        ASSERT_TRUE(temp.Ok());
        if (StartsTessel()) {
            ASSERT_EQ(dll.StartTessel(), 1);
        }
    }
    void TearDown() override {
        // A test may end with the library stopped: starting it again (a no-op
        // while it runs) keeps the guarded exports below from showing their
        // "StartTessel first!" box.
        dll.StartTessel();
        for (HWND h : m_windows)
            if (IsWindow(h)) dll.DettachDatawindow(h);
        dll.StopTessel();
        for (HWND h : m_windows)
            if (IsWindow(h)) DestroyWindow(h);
        m_windows.clear();
        PumpMessages();
        pb.reset();
    }

    // The generation the host loads; TesselHostP takes it from its parameter.
    virtual int Generation() const { return TestRuntimeGeneration(); }
    // Whether SetUp starts the library (a test of StartTessel itself says no).
    virtual bool StartsTessel() const { return true; }

    // A DataWindow control of the given size from a definition text; destroyed
    // after the test.
    HWND Create(const std::wstring& syntax, int width = 400, int height = 300, DWORD style = 0) {
        HWND h = pb->Create(syntax.c_str(), style, width, height);
        EXPECT_NE(h, nullptr) << pb->LastError();
        if (h) m_windows.push_back(h);
        return h;
    }
    // A control created, attached (with a settings file of the test's folder,
    // written from settings, when one is given) and shown with its first
    // paints done.
    HWND Attach(const std::wstring& syntax, const std::string& settings = std::string(), int width = 400,
                int height = 300, DWORD style = 0) {
        HWND h = Create(syntax, width, height, style);
        if (!h) return nullptr;
        const std::wstring ini = settings.empty() ? std::wstring() : temp.Write(L"settings.ini", settings);
        EXPECT_EQ(dll.AttachDatawindow(h, ini.empty() ? nullptr : ini.c_str()), 1);
        PumpMessages();
        UpdateWindow(h);
        PumpMessages();
        return h;
    }

    std::unique_ptr<PbsimRuntime> pb;
    TesselDll dll;
    TempFolder temp;

private:
    std::vector<HWND> m_windows;
};

using TesselHost = TesselHostFixture<::testing::Test>;

class TesselHostP : public TesselHostFixture<::testing::TestWithParam<HostParams>> {
protected:
    int Generation() const override { return GetParam().generation; }
    int Units() const { return GetParam().units; }
};
