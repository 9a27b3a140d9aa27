#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Confirmation.h"
#include "platform/FileSystem.h"
#include "platform/OwnedFile.h"

namespace morvik {

// Where a confirmation is made: named to the operator of another workstation that settles it.
struct Workplace {
    std::string workstation;
    std::filesystem::path programFolder;
};

// The patient the operator confirmed, as the journal names it.
struct JournalPatient {
    std::string id;
    std::string name;
    std::string born;  // the date of birth as shown ("30.06.1922")
};

// One confirmation on its way through the steps of Confirmation.h: the request claimed under
// its journal, the order files staged, then published. Until the first order file has its name
// everything can go back (and does, when the transaction is dropped); from then on it only goes
// forward, and what it cannot finish stays journaled for the next start of any copy.
class OrderTransaction {
  public:
    // Claims the request at `request`: journal first, then the rename. nullptr when the request
    // is gone: vanished, no plain file, or claimed by another copy. Throws AppError when the
    // journal cannot be written or locked beside it (nothing is claimed then). `worklistFolder`
    // is where the order's worklist items go, empty when the worklist is off.
    static std::unique_ptr<OrderTransaction> Begin(const std::filesystem::path& request,
                                                   std::string_view suffix, const Workplace& place,
                                                   const std::string& targetFolder,
                                                   const JournalPatient& patient,
                                                   const std::string& worklistFolder = {});
    ~OrderTransaction();
    OrderTransaction(const OrderTransaction&) = delete;
    OrderTransaction& operator=(const OrderTransaction&) = delete;

    // The claimed file's bytes (at most kMaxRequestBytes; more throws FileTooLarge).
    const std::string& Bytes() const { return bytes_; }
    const std::filesystem::path& ClaimPath() const { return claim_; }

    // Before publishing: the request back under its name (or a free one ending alike), the
    // journal gone. Returns where the request is now.
    std::filesystem::path GiveBack();

    // Writes one order file complete under its temporary name; nullopt when it could not (the
    // writer logs why).
    using OrderFileWriter = std::function<std::optional<StagedFile>()>;
    // Writes the worklist item of the order file `index` (staged as `order`) complete under its
    // temporary name in the worklist folder; nullopt when it could not (the writer logs why).
    using ItemWriter =
        std::function<std::optional<StagedFile>(std::size_t index, const StagedFile& order)>;

    enum class Outcome {
        Complete,   // every order file in place, the request gone
        Pending,    // some order files in place: the next start completes the order
        Unsettled,  // unknown whether the journal says publish: the next start decides
    };
    // Places the order: stages the file of every writer in turn, each followed by its worklist
    // item when there is an item writer, then publishes them all: an item is in place exactly
    // when its order file is. Throws AppError when a file cannot be staged or none got its name;
    // everything is back then (or, should giving back fail, left for the next start to give
    // back).
    Outcome Place(const std::vector<OrderFileWriter>& writers, const ItemWriter& writeItem = {});

  private:
    enum class State { Claimed, Published, Left, Done };
    OrderTransaction() = default;
    void stage(StagedFile file, bool item);
    Outcome publish();
    void takeBack();
    bool place(StagedFile& file);
    void checkStillOurs();
    bool cutBackToHead() noexcept;
    Outcome leave(Outcome outcome) noexcept;

    std::unique_ptr<OwnedFile> journal_;
    std::unique_ptr<HeldFile> held_;
    Journal head_;
    std::uint64_t headSize_ = 0;
    std::filesystem::path claim_;
    std::filesystem::path folder_;
    std::string bytes_;
    std::vector<StagedFile> staged_;
    std::vector<bool> stagedItems_;  // which of staged_ are worklist items
    State state_ = State::Claimed;
};

}  // namespace morvik
