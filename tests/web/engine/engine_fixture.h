#pragma once
// A loopback site trusted by the transport for the length of one test.
#include <gtest/gtest.h>

#include <string>

#include "platform/transport_settings.h"
#include "support/loopback_server.h"
#include "text/text.h"

namespace varneth {

inline const std::string kDefaultAgent =
    "Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/50.0.2661.102 Safari/537.36";

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override { Trust(platform::TransportSettings{}); }
    void TearDown() override { platform::SetTransportSettings(platform::TransportSettings{}); }

    void Trust(platform::TransportSettings settings) {
        settings.extraCaPem = server.caPem();
        platform::SetTransportSettings(settings);
    }
    Text Http(const std::string& target) const { return Text(server.HttpUrl(target)); }
    Text Https(const std::string& target) const { return Text(server.HttpsUrl(target)); }
    std::string HostLine() const { return "Host: " + server.hostPort() + "\r\n"; }
    testing::RecordedRequest OnlyRequest() const {
        auto requests = server.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? testing::RecordedRequest{} : requests.back();
    }

    testing::LoopbackServer server;
};

}  // namespace varneth
