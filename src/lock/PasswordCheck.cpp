#include "PasswordCheck.h"

#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <security/pam_appl.h>
#include <unistd.h>

namespace {

struct Conversation
{
    const char *password = nullptr;
    bool answered = false;
};

void wipe(char *text)
{
    if (text)
        explicit_bzero(text, std::strlen(text));
}

void freeReplies(pam_response *replies, int count)
{
    for (int i = 0; i < count; ++i) {
        wipe(replies[i].resp);
        std::free(replies[i].resp);
    }
    std::free(replies);
}

// Answers the one hidden password prompt. A prompt that would echo the answer,
// or a second prompt, cannot be answered with the password: the conversation
// fails and PAM reports that it could not decide.
int converse(int count, const pam_message **messages, pam_response **responses, void *data)
{
    if (count <= 0 || count > PAM_MAX_NUM_MSG)
        return PAM_CONV_ERR;
    auto *conversation = static_cast<Conversation *>(data);
    auto *replies = static_cast<pam_response *>(std::calloc(count, sizeof(pam_response)));
    if (!replies)
        return PAM_BUF_ERR;
    for (int i = 0; i < count; ++i) {
        switch (messages[i]->msg_style) {
        case PAM_PROMPT_ECHO_OFF:
            if (conversation->answered) {
                freeReplies(replies, count);
                return PAM_CONV_ERR;
            }
            replies[i].resp = strdup(conversation->password);
            if (!replies[i].resp) {
                freeReplies(replies, count);
                return PAM_BUF_ERR;
            }
            conversation->answered = true;
            break;
        case PAM_ERROR_MSG:
        case PAM_TEXT_INFO:
            break; // the lock window words its own messages
        default:
            freeReplies(replies, count);
            return PAM_CONV_ERR;
        }
    }
    *responses = replies;
    return PAM_SUCCESS;
}

// Replaces the sleep PAM modules ask for after a failure; the lock window
// waits on its own timer, growing with each wrong password.
void noDelay(int, unsigned, void *) {}

PasswordVerdict verdictOf(int result)
{
    switch (result) {
    case PAM_SUCCESS:
        return PasswordVerdict::Accepted;
    case PAM_AUTH_ERR:
    case PAM_USER_UNKNOWN:
    case PAM_MAXTRIES:
    case PAM_CRED_INSUFFICIENT:
        return PasswordVerdict::Refused;
    default:
        return PasswordVerdict::Unchecked;
    }
}

} // namespace

PasswordCheck::PasswordCheck(QByteArray service) : m_service(std::move(service)) {}

QByteArray PasswordCheck::userName()
{
    const passwd *entry = getpwuid(getuid());
    return entry && entry->pw_name ? QByteArray(entry->pw_name) : QByteArray();
}

PasswordVerdict PasswordCheck::check(const QString &password) const
{
    // A NUL would end the text PAM sees, so only a prefix would be checked.
    if (password.isEmpty() || password.contains(QChar(0)))
        return PasswordVerdict::Refused;
    const QByteArray user = userName();
    if (user.isEmpty())
        return PasswordVerdict::Unchecked;

    QByteArray secret = password.toUtf8();
    Conversation conversation{secret.constData()};
    const pam_conv conv{converse, &conversation};
    pam_handle_t *handle = nullptr;
    int result = pam_start(m_service.constData(), user.constData(), &conv, &handle);
    if (result == PAM_SUCCESS) {
        pam_set_item(handle, PAM_FAIL_DELAY, reinterpret_cast<const void *>(&noDelay));
        result = pam_authenticate(handle, PAM_DISALLOW_NULL_AUTHTOK);
        if (result == PAM_SUCCESS)
            pam_setcred(handle, PAM_REFRESH_CRED); // renews tickets; not needed to unlock
        pam_end(handle, result);
    }
    explicit_bzero(secret.data(), secret.size());
    return verdictOf(result);
}
