#include "shell/screens.h"

#include "backend/contract.h"

namespace corvanta {
namespace {

namespace api = contract::api;

struct ScreenRow {
    const wchar_t* title;
    const wchar_t* endpoint;
    const wchar_t* channel;
    const wchar_t* hint;
};

// Indexed by the Screen value; kOther answers for any value outside 0..9.
constexpr ScreenRow kRows[] = {
    {L"Orbital", api::kBootstrap, L"# orbit-feed",
     L"Dein Universum: Communities, Raeume, aktive Lives und direkte Rueckkehrpunkte."},
    {L"Community", api::kCommunities, L"# community-table",
     L"Voice, Roundtable, Creator Talks, Sessions, Screenshare und Co-Host-Struktur."},
    {L"Live", api::kSocialRooms, L"# live-now",
     L"Watch und Streaming-Kontrakte. Native Media folgt ueber LiveKit/Win32."},
    {L"Trevacast", api::kLiveStreams, L"# trevacast-studio",
     L"OBS-artiges Creator Studio: Szenen, Quellen, Preview, Mixer und Go Live."},
    {L"Direct Messages", api::kDmConversations, L"# direct-messages",
     L"Direktnachrichten, Creator-Fan-Beziehungen und private Support-Wege."},
    {L"Studio", api::kRestreamTargets, L"# creator-studio",
     L"Creator-Produktion: OBS, Mixforge, Restream, Stream-Setup und Broadcast-Werkzeuge."},
    {L"Profil", api::kAuthMe, L"# mein-universum", L"Profil und Creator-Identitaet."},
    {L"Wallet", api::kWallet, L"# wallet-balance",
     L"Credits, Funken, Runen, Payout und Creator-Oekonomie."},
    {L"Assets", api::kGiftCatalog, L"# gifts-assets",
     L"Badges, Frames, Gifts, Masken und Studio-Assets."},
    {L"Einstellungen", api::kAuthMe, L"# settings-trust",
     L"Account, Audio/Video, Datenschutz, Updates und native Desktop-Konfiguration."},
};
constexpr ScreenRow kOther = {L"Corvanta", api::kBootstrap, L"# corvanta", L""};

const ScreenRow& rowFor(Screen screen) {
    const auto index = static_cast<std::uint32_t>(screen);
    return index < std::size(kRows) ? kRows[index] : kOther;
}

} // namespace

std::wstring screenTitle(Screen screen) { return rowFor(screen).title; }
std::wstring endpointForScreen(Screen screen) { return rowFor(screen).endpoint; }
std::wstring modeHint(Screen screen) { return rowFor(screen).hint; }
std::wstring channelLabel(Screen screen) { return rowFor(screen).channel; }

std::wstring introReport(Screen screen, const std::wstring& statusText) {
    const ScreenRow& row = rowFor(screen);
    std::wstring out;
    out.reserve(1024);
    out.append(row.channel).append(L"\r\n====================\r\n\r\n");
    out.append(row.hint).append(L"\r\n\r\nStatus\r\n  ");
    out.append(statusText).append(L"\r\n\r\n");
    out.append(L"Corvanta Features in dieser Desktop-Shell\r\n"
               L"  - Creator-Universum: Orbit Feed, Profil, Shop und Analytics als Hub\r\n"
               L"  - Community: Discord-like Communities, Channels, Table, PTT und Rollen\r\n"
               L"  - Live: Host-/Watch-Vertraege plus native LiveKit-Probe\r\n"
               L"  - Trevacast: OBS-artiger Studio-Tab mit optionalem Extra-Fenster\r\n"
               L"  - Monetarisierung: Wallet, Balance, Gifts und Assets server-autoritativ\r\n"
               L"  - Studio: Mixforge, Restream, OBS/Overlay und Creator-Werkzeuge getrennt\r\n\r\n"
               L"Native Refresh ruft aktuell diesen Contract ab:\r\n");
    out.append(row.endpoint).append(L"\r\n\r\n");
    out.append(L"Desktop-Status: Native Win32 API-Shell. Media/Realtime-Parity bleibt sichtbar "
               L"getrennt, solange der Windows-Build ohne echte LiveKit-/Socket.IO-Media laeuft.");
    return out;
}

} // namespace corvanta
