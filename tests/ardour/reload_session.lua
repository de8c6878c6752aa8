-- Loads the "processed" snapshot in a fresh process and prints the plug-in's name
-- and every parameter value, for the caller to compare with what was saved.
-- Globals from the caller's preamble: SESSION_DIR.
local function check(ok, what) if not ok then print("FAIL " .. what) os.exit(1) end end
check(load_session(SESSION_DIR, "processed"), "session loaded")
local route = Session:route_by_name("T")
check(not route:isnil(), "track T")
local proc = route:nth_plugin(0)
check(not proc:isnil(), "a plug-in on track T")
local plugin = proc:to_insert():plugin(0)
print("RELOADED " .. plugin:name())
for i = 0, plugin:parameter_count() - 1 do
  print("VALUE " .. i .. " " .. ARDOUR.LuaAPI.get_processor_param(proc, i, true))
end
close_session()
print("RELOAD DONE")
