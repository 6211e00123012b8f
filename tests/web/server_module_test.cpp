// The site server as velmora serve has it: loaded from the first place that holds the module,
// listening and answering 503 until its site is open, and a failure inside the module reaching
// the caller as a ServerFailure with its words.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "web/serve/server_module.h"

namespace {

using testing::HasSubstr;
using web::serve::ServerFailure;
using web::serve::ServerModule;

TEST(ServerModuleTest, TheModuleStartsServersAndItsFailuresComeBackInWords) {
    const ServerModule module({"/nonexistent/velmora-site-server.so", SITE_SERVER_MODULE});
    web::serve::ServerOptions options;
    options.port = 0;
    const std::unique_ptr<web::serve::Server> server = module.Start(options);
    ASSERT_NE(server, nullptr);
    EXPECT_NE(server->Port(), 0);

    options.address = "not an address";
    try {
        module.Start(options);
        FAIL() << "a server on no address";
    } catch (const ServerFailure& failure) {
        EXPECT_THAT(failure.what(), HasSubstr("not an IP address: not an address"));
    }
    options.address = "127.0.0.1";
    options.port = server->Port();
    EXPECT_THROW(module.Start(options), ServerFailure);  // the port is taken

    try {
        ServerModule({"libm.so.6"});
        FAIL() << "libm taken for the server";
    } catch (const ServerFailure& failure) {
        EXPECT_STREQ(failure.what(), "cannot load the site server; libm.so.6 has no site server");
    }
}

}  // namespace
