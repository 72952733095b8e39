// The launcher's start-up services; a test program of its own, as it tells
// whether OLE is still initialised on the thread.
#include "platform/system_services.h"

#include <gtest/gtest.h>
#include <objbase.h>

namespace {

TEST(SystemServicesTest, EndingTheUserInterfaceUninitialisesOle) {
  platform::SystemServices system(0, nullptr);
  ASSERT_NE(system.Services().windows, nullptr);
  // The window-free services stay for the workers.
  ASSERT_NE(system.Services().transport, nullptr);
  system.EndUserInterface();
  EXPECT_EQ(system.Services().windows, nullptr);
  EXPECT_EQ(system.Services().folders, nullptr);
  EXPECT_NE(system.Services().transport, nullptr);
  // S_FALSE would mean OLE was still initialised on this thread.
  HRESULT again = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EXPECT_EQ(again, S_OK);
  if (SUCCEEDED(again)) ::CoUninitialize();
}

}  // namespace
