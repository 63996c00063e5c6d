#pragma once

// A test suite whose tests share one running service over the test library, started once for the
// suite and stopped after it.

#include "service/search_service.h"
#include "service_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace lanseek::test {

class SharedService : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_library = std::make_unique<TestLibrary>();
        s_service = std::make_unique<service::SearchService>(
            service::ServiceOptions{s_library->root(), "127.0.0.1", 0});
        std::string error;
        ASSERT_TRUE(s_service->start(&error)) << error;
    }
    static void TearDownTestSuite()
    {
        // The service goes first: it serves from the library's folder.
        s_service.reset();
        s_library.reset();
    }
    static int port() { return s_service->port(); }

    static inline std::unique_ptr<TestLibrary> s_library;
    static inline std::unique_ptr<service::SearchService> s_service;
};

} // namespace lanseek::test
