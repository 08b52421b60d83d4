// The order in which the sampling worker takes its jobs' shares: jobs in
// turn, round and round; one that lets the others go first waits while any
// other is queued, until it has waited long enough.

#include "app/WorkerJobs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Posted {
    char name;
    JobOrder order;
    int shares;
};

struct OrderCase {
    const char* what;
    ULONGLONG longestWaitMs;
    std::vector<Posted> posted;
    std::string ran; // one letter a share
};

const OrderCase kOrderCases[] = {
    {"jobs in turn share the worker", 60000, {{'a', JobOrder::InTurn, 2}, {'b', JobOrder::InTurn, 2}}, "abab"},
    {"a job that lets others go first waits for all of them", 60000,
     {{'r', JobOrder::AfterOthers, 1}, {'d', JobOrder::InTurn, 3}, {'e', JobOrder::InTurn, 1}}, "deddr"},
    {"alone, it runs", 60000, {{'r', JobOrder::AfterOthers, 2}}, "rr"},
    {"two that wait keep their turn", 60000,
     {{'r', JobOrder::AfterOthers, 1}, {'s', JobOrder::AfterOthers, 1}, {'d', JobOrder::InTurn, 1}}, "drs"},
    {"one that waited long enough goes first", 0,
     {{'d', JobOrder::InTurn, 2}, {'r', JobOrder::AfterOthers, 1}}, "rdd"},
};

TEST(WorkerJobs, TakesJobsInTurnAndLetsTheOthersGoFirstForThoseThatWait)
{
    for (const OrderCase& c : kOrderCases) {
        WorkerJobs jobs(c.longestWaitMs);
        jobs.Open();
        std::string ran;
        for (const Posted& posted : c.posted) {
            int left = posted.shares;
            ASSERT_TRUE(jobs.Post(
                [&ran, &posted, left](bool dropped) mutable {
                    if (dropped)
                        return false;
                    ran += posted.name;
                    return --left > 0;
                },
                posted.order));
        }
        for (std::size_t share = 0; share < 20 && ::WaitForSingleObject(jobs.Waiting(), 0) == WAIT_OBJECT_0; ++share)
            jobs.RunShare();
        EXPECT_EQ(ran, c.ran) << c.what;
        jobs.Close();
    }
}

} // namespace
