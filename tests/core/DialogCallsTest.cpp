// What the member, channel, call and feedback dialogs rely on beyond the
// completion contract: the numbers they send and compare as they are, and a
// success that hands them no object to act on.

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/Entity.h"
#include "mireloom/IMManager.h"
#include "mireloom/Message.h"

using namespace mireloom;
using core_test::Completion;
namespace mt = mireloom::testing;

static_assert(Channel::kPublic == 1 && Channel::kPrivate == 2);
static_assert(Message::kChannelMessage == 1 && Message::kDirectMessage == 2);
static_assert(Entity::kAll == 0 && Entity::kImage == 5 && Entity::kDocument == 7 && Entity::kSnippet == 8);
static_assert(kPreferredColorFirst == 0 && kPreferredColorLast == 17 && kPreferredColorCount == 18);
static_assert(User::kDisabled == 2);
static_assert(Permission::kChatModuleSetVisibility == 2);
static_assert(kClientTypeWindows == 14 && kApplicationTypeFileComment == 9001);

// A dialog that is told of success without a conversation or a channel has
// nothing to select: the scripted answer of the service says just that.
TEST(DialogCalls, AScriptedSuccessCarriesNoConversationOrChannel) {
  mt::ScopedCore core;
  ASSERT_TRUE(core_test::SignInWithData(core));
  mt::Script("IMManager::NewIM").Answer(200).Times(1);
  mt::Script("ChannelManager::CreateChannel").Answer(200).Times(1);
  Completion<bool, std::string, std::unique_ptr<IM>> im;
  Completion<bool, std::string, std::unique_ptr<Channel>> channel;
  IMManager::DefaultManager()->NewIM("usr-nobody", im.Callback());
  ChannelManager::DefaultManager()->CreateChannel("", "", Channel::kPublic, {}, kPreferredColorFirst, channel.Callback());
  ASSERT_TRUE(im.Wait() && channel.Wait());
  EXPECT_TRUE(im.Get<0>() && channel.Get<0>());
  EXPECT_EQ(im.Get<2>(), nullptr);
  EXPECT_EQ(channel.Get<2>(), nullptr);
}
