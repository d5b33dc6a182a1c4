// Everything the client knows about the platform backend: origin, routes, API paths, socket events.
#pragma once

namespace corvanta::contract {

constexpr const wchar_t* kOrigin = L"https://corvanta.app";

namespace route {
constexpr const wchar_t* kLiteChat = L"lite-chat";
constexpr const wchar_t* kWatch = L"watch";
constexpr const wchar_t* kLive = L"live";
constexpr const wchar_t* kDirectMessages = L"dm";
constexpr const wchar_t* kProfile = L"profile";
constexpr const wchar_t* kStudio = L"studio";
} // namespace route

namespace api {
constexpr const wchar_t* kAuthLogin = L"/api/auth/login";
constexpr const wchar_t* kAuthMe = L"/api/auth/me";
constexpr const wchar_t* kBootstrap = L"/api/app/bootstrap";
constexpr const wchar_t* kCommunities = L"/api/communities";
constexpr const wchar_t* kLiveStreams = L"/api/streams/live";
constexpr const wchar_t* kSocialRooms = L"/api/rooms/social";
constexpr const wchar_t* kDmConversations = L"/api/dm/conversations";
constexpr const wchar_t* kWallet = L"/api/me/wallet";
constexpr const wchar_t* kGiftCatalog = L"/api/stream/gift-catalog";
constexpr const wchar_t* kLiveKitHostToken = L"/api/livekit/host-token";
constexpr const wchar_t* kTurnCredentials = L"/api/turn/credentials";
constexpr const wchar_t* kCommunityTableTokenPrefix = L"/api/community/table-token/";
constexpr const wchar_t* kRestreamTargets = L"/api/restream-targets";
constexpr const wchar_t* kCommunityClanJoinPrefix = L"/api/community-clans/";
} // namespace api

namespace socket_event {
constexpr const char* kJoinRoom = "join-room";
constexpr const char* kChatMessage = "chat-message";
constexpr const char* kSendGift = "send-gift";
constexpr const char* kGiftAlert = "gift-alert";
constexpr const char* kRaiseHand = "raise-hand";
constexpr const char* kGrantCam = "grant-cam";
constexpr const char* kCommunityTableJoin = "community-table:join";
constexpr const char* kCommunityTablePeers = "community-table:peers";
constexpr const char* kPttRequest = "ptt:request";
constexpr const char* kBattleStarted = "battle-started";
constexpr const char* kBattleUseRune = "battle-use-rune";
} // namespace socket_event

} // namespace corvanta::contract
