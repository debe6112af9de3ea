#include "ui/app_services_win.h"

namespace sylvane {
namespace {
AppServices g_services;
}  // namespace

const AppServices& Services() { return g_services; }
void SetServices(const AppServices& services) { g_services = services; }

}  // namespace sylvane
