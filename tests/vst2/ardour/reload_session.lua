-- Loads the saved "processed" snapshot in a fresh process and checks that Moravelle
-- is there with the parameters it was saved with.
local dir = os.getenv("MORAVELLE_SESSION_DIR")
assert(dir, "MORAVELLE_SESSION_DIR is not set")
AudioEngine:set_backend("None (Dummy)", "", "")
assert(load_session(dir, "processed"), "cannot load the session")
local found = nil
for route in Session:get_routes():iter() do
  local i = 0
  while true do
    local proc = route:nth_plugin(i)
    if proc:isnil() then break end
    if proc:display_name() == "Moravelle" then found = proc end
    i = i + 1
  end
end
assert(found, "Moravelle is missing from the reloaded session")
local expected = {[26] = 1.0, [29] = 0.6, [23] = 0.5, [24] = 0.5, [25] = 0.5, [5] = 0.5, [6] = 0.5}
for index, value in pairs(expected) do
  local got = ARDOUR.LuaAPI.get_processor_param(found, index)
  assert(math.abs(got - value) < 1e-6, "parameter " .. index .. " restored as " .. got)
end
close_session()
print("RESTORE OK")
