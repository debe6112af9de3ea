#include "canvas/starter_garden.h"

#include <algorithm>

#include "platform/folder_list.h"
#include "platform/text.h"
#include "trees/part_data.h"

namespace sylvane {
namespace {

// Species that look well side by side: tall and low, pink, blue, yellow and red in turn.
const char* const kPreferred[] = {"yamazakura.ki", "ajisai.ki",  "himawari.ki", "tsubaki.ki", "kosumosu.ki",
                                  "momiji.ki",     "lavender.ki", "mikan.ki",    "suzuran.ki", "ume.ki",
                                  "take.ki",       "fuji.ki",     "matsu.ki"};

}  // namespace

std::vector<StarterPlanting> PlanStarterGarden(int width, const std::vector<std::string>& available) {
  std::vector<StarterPlanting> plan;
  if (width <= 0 || available.empty()) return plan;
  std::vector<std::string> order;
  for (const char* name : kPreferred)
    if (std::find(available.begin(), available.end(), name) != available.end()) order.emplace_back(name);
  std::vector<std::string> others;
  for (const std::string& name : available)
    if (std::find(order.begin(), order.end(), name) == order.end()) others.push_back(name);
  std::sort(others.begin(), others.end());
  order.insert(order.end(), others.begin(), others.end());

  const int wanted = std::clamp(width / kRecommendedTreeSpacing, kRecommendedMinTrees, kRecommendedMaxTrees);
  const int n = std::min<int>(wanted, static_cast<int>(order.size()));
  for (int i = 0; i < n; ++i) {
    StarterPlanting p;
    p.file = order[size_t(i)];
    p.x = static_cast<int32_t>((2LL * i + 1) * width / (2LL * n));
    plan.push_back(std::move(p));
  }
  return plan;
}

std::vector<std::string> ListStarterTrees(const std::string& program_folder) {
  std::vector<FolderEntry> entries;
  std::vector<std::string> names;
  if (!ListFolderFiles(JoinPath(program_folder, kStarterTreeFolder), ".ki", entries)) return names;
  for (auto& e : entries) names.push_back(std::move(e.name));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace sylvane
