#include "backend/text.h"

#include <gtest/gtest.h>

#include <random>

using namespace corvanta;

namespace {

const std::vector<std::string> kLoginKeys = {"accessToken", "access_token", "token", "streamJwt",
                                             "jwt"};

bool isUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~';
}

std::string randomBytes(std::mt19937& rng, std::size_t maxLen, const std::string& alphabet = "") {
    std::uniform_int_distribution<std::size_t> len(0, maxLen);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string out(len(rng), '\0');
    for (auto& c : out) {
        c = alphabet.empty() ? static_cast<char>(byte(rng))
                             : alphabet[static_cast<std::size_t>(byte(rng)) % alphabet.size()];
    }
    return out;
}

// A minimal JSON string decoder for the escapes jsonEscape produces; false on anything invalid.
bool decodeJsonString(const std::string& literal, std::string& out) {
    if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"') {
        return false;
    }
    out.clear();
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        const char c = literal[i];
        if (c == '"') {
            return false;
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i + 1 > literal.size() - 1) {
            return false;
        }
        switch (literal[i]) {
        case '\\':
            out += '\\';
            break;
        case '"':
            out += '"';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'u': {
            const std::string hex = literal.substr(i + 1, 4);
            if (hex.size() != 4 || hex.find_first_not_of("0123456789abcdefABCDEF") != hex.npos ||
                std::stoi(hex, nullptr, 16) > 0xFF) {
                return false;
            }
            out += static_cast<char>(std::stoi(hex, nullptr, 16));
            i += 4;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

} // namespace

TEST(JsonEscape, EscapesQuotesBackslashesAndEveryControlByte) {
    EXPECT_EQ(jsonEscape("a\"b\\c\n"), "a\\\"b\\\\c\\n");
    EXPECT_EQ(jsonEscape("\r\t"), "\\r\\t");
    EXPECT_EQ(jsonEscape(std::string("pa\x01ss\0\f\x1f\x7f", 9)),
              "pa\\u0001ss\\u0000\\u000c\\u001f\x7f");
    EXPECT_EQ(jsonEscape("gr\xC3\xBC\xC3\x9F"), "gr\xC3\xBC\xC3\x9F");
    EXPECT_EQ(jsonEscape(""), "");
}

TEST(JsonEscape, OutputBetweenQuotesDecodesBackToInput) {
    std::mt19937 rng(7);
    for (int n = 0; n < 5000; ++n) {
        const std::string input = randomBytes(rng, 40);
        std::string decoded;
        ASSERT_TRUE(decodeJsonString("\"" + jsonEscape(input) + "\"", decoded)) << input;
        ASSERT_EQ(decoded, input);
    }
}

TEST(QueryEscape, EncodesAllButUnreserved) {
    EXPECT_EQ(queryEscape("Caf\xC3\xA9 "), "Caf%C3%A9%20");
    EXPECT_EQ(queryEscape("-_.~"), "-_.~");
    EXPECT_EQ(queryEscape("+"), "%2B");
    EXPECT_EQ(queryEscape("a/b?c#d&e=f%"), "a%2Fb%3Fc%23d%26e%3Df%25");
    EXPECT_EQ(queryEscape(std::string(1, '\0')), "%00");
    EXPECT_EQ(queryEscape("\xFF"), "%FF");
}

TEST(QueryEscape, OutputHoldsOnlyUnreservedAndPercentTriplets) {
    std::mt19937 rng(11);
    for (int n = 0; n < 5000; ++n) {
        const std::string input = randomBytes(rng, 30);
        const std::string out = queryEscape(input);
        std::size_t decodedLength = 0;
        for (std::size_t i = 0; i < out.size(); ++i, ++decodedLength) {
            if (out[i] == '%') {
                ASSERT_LT(i + 2, out.size());
                ASSERT_TRUE(std::isxdigit(static_cast<unsigned char>(out[i + 1])));
                ASSERT_TRUE(std::isxdigit(static_cast<unsigned char>(out[i + 2])));
                ASSERT_FALSE(std::islower(static_cast<unsigned char>(out[i + 1])));
                ASSERT_FALSE(std::islower(static_cast<unsigned char>(out[i + 2])));
                i += 2;
            } else {
                ASSERT_TRUE(isUnreserved(out[i])) << out;
            }
        }
        ASSERT_EQ(decodedLength, input.size());
    }
}

TEST(SafeRoomPart, KeepsMapsDropsAndTrims) {
    EXPECT_EQ(safeRoomPart("  ..Max Power@2!! "), "Max_Power_2");
    EXPECT_EQ(safeRoomPart(" .@_ "), "");
    EXPECT_EQ(safeRoomPart(""), "");
    EXPECT_EQ(safeRoomPart("a..b"), "a__b");
    EXPECT_EQ(safeRoomPart("team blau"), "team_blau");
    EXPECT_EQ(safeRoomPart("m\xC3\xBCller-1"), "mller-1");
    EXPECT_EQ(safeRoomPart(std::string(70, 'a')), std::string(64, 'a'));
    // The cut follows the trim, so 64 bytes may end in '_'.
    const std::string cut = safeRoomPart(std::string(63, 'a') + " b");
    EXPECT_EQ(cut, std::string(63, 'a') + "_");
}

TEST(ExtractJsonString, ValueRulesAndKeyOrder) {
    EXPECT_EQ(extractJsonString(R"({"token" : "abc"})", kLoginKeys), "abc");
    EXPECT_EQ(extractJsonString("{\"token\"\r\n\t:\n \"abc\"}", kLoginKeys), "abc");
    EXPECT_EQ(extractJsonString(R"({"token":"t","accessToken":"a"})", kLoginKeys), "a");
    EXPECT_EQ(extractJsonString(R"({"accessToken":"","token":"t"})", kLoginKeys), "t");
    EXPECT_EQ(extractJsonString(R"({"token":"a\"b"})", kLoginKeys), "a\\\"b");
    EXPECT_EQ(extractJsonString(R"({"token":"abc)", kLoginKeys), "");
    EXPECT_EQ(extractJsonString(R"({"user":"x"})", kLoginKeys), "");
    EXPECT_EQ(extractJsonString("", kLoginKeys), "");
    EXPECT_EQ(extractJsonString(R"({"jwt":"only"})", kLoginKeys), "only");
    EXPECT_EQ(extractJsonString(R"({"token":"a"})", {}), "");
}

TEST(ExtractJsonString, NonStringOrValuePositionDoesNotCount) {
    // A rejected sign-in must not be read as a token.
    EXPECT_EQ(extractJsonString(R"({"token":null,"user":"x"})", kLoginKeys), "");
    EXPECT_EQ(extractJsonString(R"({"token":42,"user":"x"})", kLoginKeys), "");
    EXPECT_EQ(extractJsonString(R"({"token":{"v":"x"}})", kLoginKeys), "");
    EXPECT_EQ(extractJsonString(R"({"type":"token","id":"7"})", kLoginKeys), "");
    // The search goes on with the next occurrence of the same key.
    EXPECT_EQ(extractJsonString(R"({"kind":"token","token":"abc"})", kLoginKeys), "abc");
    EXPECT_EQ(extractJsonString(R"({"token":null,"data":{"token":"deep"}})", kLoginKeys), "deep");
    // A needle at the very end, or with a colon but no quote.
    EXPECT_EQ(extractJsonString(R"({"x":"token")", kLoginKeys), "");
    EXPECT_EQ(extractJsonString(R"({"token":)", kLoginKeys), "");
    EXPECT_EQ(extractJsonString(R"({"token": )", kLoginKeys), "");
}

TEST(ExtractJsonString, NeverReadsPastTheTextOnRandomInput) {
    std::mt19937 rng(3);
    const std::string alphabet = "\"\\:{} ,tokenaj";
    for (int n = 0; n < 20000; ++n) {
        const std::string input = randomBytes(rng, 40, alphabet);
        const std::string value = extractJsonString(input, kLoginKeys);
        if (!value.empty()) {
            ASSERT_NE(input.find(value), std::string::npos);
        }
    }
}

TEST(RedactJsonSecrets, MasksEveryOccurrenceOfEveryKey) {
    EXPECT_EQ(redactJsonSecrets(R"({"accessToken":"abc","user":"u"})"),
              R"({"accessToken":"[redacted]","user":"u"})");
    EXPECT_EQ(redactJsonSecrets(R"({"password":""})"), R"({"password":"[redacted]"})");
    EXPECT_EQ(redactJsonSecrets(R"([{"token":"a"},{"token":"b"}])"),
              R"([{"token":"[redacted]"},{"token":"[redacted]"}])");
    EXPECT_EQ(redactJsonSecrets(R"({"apiSecret":"x","secret":"y"})"),
              R"({"apiSecret":"[redacted]","secret":"[redacted]"})");
    EXPECT_EQ(redactJsonSecrets(R"({"Token":"x"})"), R"({"Token":"x"})");
    EXPECT_EQ(redactJsonSecrets(R"({"token":42,"name":"n"})"),
              R"({"token":"[redacted]","[redacted]":"n"})");
    EXPECT_EQ(redactJsonSecrets(R"({"streamKey":"k","token":"a\"b"})"),
              R"({"streamKey":"k","token":"[redacted]"})");
}

// An answer cut off inside a secret shows none of it.
TEST(RedactJsonSecrets, UnterminatedValueIsMaskedToTheEnd) {
    EXPECT_EQ(redactJsonSecrets(R"({"secret":"s","token":"abc)"),
              R"({"secret":"[redacted]","token":"[redacted])");
    EXPECT_EQ(redactJsonSecrets(R"({"secret":{"a":[1,"}")"), R"({"secret":"[redacted]")");
    EXPECT_EQ(redactJsonSecrets(R"({"password":"p","token":)"),
              R"({"password":"[redacted]","token":)");
}

TEST(RedactJsonSecrets, MasksSecretValuesOfEveryType) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"apiSecret":{"value":"S3CR3T"}})", R"({"apiSecret":"[redacted]"})"},
        {R"({"password":["p1","p2"]})", R"({"password":"[redacted]"})"},
        {R"({"secret":123456})", R"({"secret":"[redacted]"})"},
        // The quoted text after a non-string value is masked as well, as it always was.
        {R"({"secret" : -1.5e3 ,"n":1})", R"({"secret" : "[redacted]" ,"[redacted]":1})"},
        {R"([{"jwt":true},{"jwt":false}])",
         R"([{"jwt":"[redacted]"},{"[redacted]":"[redacted]"}])"},
        {R"({"token":null,"message":"bad"})", R"({"token":null,"[redacted]":"bad"})"},
        // A bracket inside a string does not end the value; the next pair is kept.
        {R"({"secret":{"a":"}]"},"x":"y"})", R"({"secret":"[redacted]","x":"y"})"},
        {R"({"d":{"refreshToken":[1,{"k":"v"}],"ok":true}})",
         R"({"d":{"refreshToken":"[redacted]","ok":true}})"},
        // A secret key's name as another key's value still masks what follows it.
        {R"({"jwt":"accessToken","a":"b"})", R"({"jwt":"[redacted]","a":"[redacted]"})"},
    };
    for (const auto& [input, masked] : cases) {
        EXPECT_EQ(redactJsonSecrets(input), masked) << input;
    }
}

// The masked text is built in one pass: a large answer must not shift its tail per secret.
TEST(RedactJsonSecrets, SpansAreSortedDisjointAndMatchTheMaskedText) {
    std::string json;
    std::size_t units = 0;
    for (; json.size() < 300000; ++units) {
        json += R"({"jwt":"a","x":{"secret":[1,"]"]},"token":7},)";
    }
    // Per unit: a, the secret's array, 7, and the next unit's "jwt" name after the 7.
    const auto spans = secretSpans(json);
    ASSERT_EQ(spans.size(), 4 * units - 1);
    for (std::size_t i = 1; i < spans.size(); ++i) {
        ASSERT_LE(spans[i - 1].end, spans[i].begin);
    }
    EXPECT_EQ(redactJsonSecrets(json).find("\"a\""), std::string::npos);
}

// Hostile answers of one short piece repeated: the masker's steps stay within its linear bound
// (the unquoted and unclosed kinds once walked to the end of the text for every key), and what
// is masked is what it always was: from the first value to the end.
TEST(RedactJsonSecrets, RepeatedPiecesStayLinear) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"jwt\":x", "\"jwt\":\"[redacted]\""},
        {"\"secret\":1", "\"secret\":\"[redacted]\""},
        {"\"password\":t", "\"password\":\"[redacted]\""},
        {"\"jwt\":[", "\"jwt\":\"[redacted]\""},
        {"\"jwt\":\"", nullptr},
        {"{\"token\":{\"secret\":", nullptr},
    };
    for (const auto& [piece, masked] : cases) {
        std::string json;
        while (json.size() < 128000) {
            json += piece;
        }
        const SecretScan scan = scanSecrets(json);
        EXPECT_LE(scan.steps, maskerStepBound(json.size())) << piece;
        if (masked != nullptr) {
            EXPECT_EQ(redactJsonSecrets(json), masked) << piece;
        }
    }
}

TEST(RedactJsonSecrets, NoSecretValueOfWellFormedPairsSurvives) {
    static const std::vector<std::string> keys = {
        "accessToken",   "access_token", "token",     "streamJwt", "jwt",  "refreshToken",
        "refresh_token", "password",     "apiSecret", "secret",    "user", "name"};
    std::mt19937 rng(5);
    std::uniform_int_distribution<std::size_t> pick(0, keys.size() - 1);
    for (int n = 0; n < 3000; ++n) {
        std::string json = "{";
        std::vector<std::string> secrets;
        const int pairs = 1 + n % 6;
        for (int k = 0; k < pairs; ++k) {
            const std::string& key = keys[pick(rng)];
            std::string value = "V" + std::to_string(n) + "_" + std::to_string(k) +
                                jsonEscape(randomBytes(rng, 8, "ab\"\\ :{}"));
            json += (k ? "," : "") + std::string("\"") + key + "\":\"" + value + "\"";
            if (key != "user" && key != "name") {
                secrets.push_back(value);
            }
        }
        json += "}";
        const std::string masked = redactJsonSecrets(json);
        for (const auto& s : secrets) {
            ASSERT_EQ(masked.find(s), std::string::npos) << json << " -> " << masked;
        }
    }
}

TEST(RedactJsonSecrets, LeavesTextsWithoutSecretKeysAlone) {
    std::mt19937 rng(9);
    for (int n = 0; n < 5000; ++n) {
        const std::string input = randomBytes(rng, 60, "\"\\:{}[], abcdefuser0129");
        ASSERT_EQ(redactJsonSecrets(input), input);
    }
}

TEST(RedactJsonSecrets, ValuesAfterTheirKeysAreMaskedWhateverStandsBefore) {
    EXPECT_EQ(
        redactJsonSecrets(R"({"type":"token","expires":3600,"token":"SECRET"})").find("SECRET"),
        std::string::npos);
    EXPECT_EQ(redactJsonSecrets(R"({"token":null,"refreshToken":"R"})").find("\"R\""),
              std::string::npos);
    EXPECT_EQ(redactJsonSecrets(R"({"token":null,"jwt":"J"})").find("\"J\""), std::string::npos);
    EXPECT_EQ(
        redactJsonSecrets(R"({"grant":"password","ttl":1,"password":"hunter2"})").find("hunter2"),
        std::string::npos);
}
