#pragma once

// Addresses of the service and the client's own identity. The hosts are
// deployment settings of the build; their defaults are the embedded service's.

#include <string>

#ifndef CORVANEL_SERVICE_DOMAIN
#define CORVANEL_SERVICE_DOMAIN "corvanel.test"
#endif
#ifndef CORVANEL_SIGNUP_HOST
#define CORVANEL_SIGNUP_HOST "www.corvanel.test"
#endif
#ifndef CORVANEL_FILE_HOST
#define CORVANEL_FILE_HOST "files.corvanel.test"
#endif
#ifndef CORVANEL_STORAGE_HOST
#define CORVANEL_STORAGE_HOST "storage.corvanel.test"
#endif

// The domain under which every team has its own subdomain.
inline const std::string ServiceDomain = CORVANEL_SERVICE_DOMAIN;
// Host of the sign-up and team-finder pages.
inline const std::string SignupHost = CORVANEL_SIGNUP_HOST;
// Host of the file service; the team's web pages reach it with the session cookie.
inline const std::string FileHost = CORVANEL_FILE_HOST;

// Reported to the service at log-in.
inline const std::string ClientChannel = "Windows store";
// Avatar address = this + the core library's avatar name of the user.
inline const std::string AvatarBaseUrl = std::string("https://") + CORVANEL_STORAGE_HOST + "/mlavatar/";
// Avatar address of a service account = this + the service's avatar name.
inline const std::string StaticBaseUrl = std::string("https://") + CORVANEL_STORAGE_HOST + "/mlstatic/";
// File links, downloads and previews = this + entity id + further path.
inline const std::string FileEntitiesUrl = std::string("https://") + CORVANEL_FILE_HOST + "/entities/";
// Shown in the personal menu and sent with feedback.
inline const std::wstring ClientVersion = L"2.1.5";

// The host of a team: its subdomain under the service domain. Every team
// address is built on it.
inline std::string TeamHost(const std::string& subdomain) { return subdomain + "." + ServiceDomain; }
