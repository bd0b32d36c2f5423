-- What the Ardour checks do inside Ardour (ardour7-lua, the dummy backend), one command a run,
-- told by the environment (ardour_check.py sets it):
--   TARN_COMMAND   list | build | presets | resave
--   TARN_SESSION   the session's folder; its name is the folder's
--   TARN_PLUGIN    the plug-in's name; TARN_TYPE LV2 or VST3
--   TARN_ROLE      instrument (a MIDI track) or generator (an audio bus)
--   TARN_PRESET    a preset to load first (build); TARN_PARAMETERS "Name=value;..." set after it
--   TARN_PRESETS   the presets to load one by one (presets), separated by ";"
--   TARN_SECONDS   the time each preset may take
-- It prints what it found, one fact a line after "> " ("> plugin ...", "> preset ..."), and fails
-- by error().
io.stdout:setvbuf("no")

local function env(name)
  local value = os.getenv(name)
  if value == nil then error("no " .. name) end
  return value
end

local function split(text)
  local items = {}
  for item in string.gmatch(text, "[^;]+") do items[#items + 1] = item end
  return items
end

local folder = env("TARN_SESSION")
local name = string.match(folder, "([^/]+)$")
AudioEngine:set_backend("None (Dummy)", "", "")
local session = load_session(folder, name)
if session == nil then error("Ardour opened no session in " .. folder) end

-- Ardour passes a parameter to the plug-in at its next cycle; the plug-in's state follows there.
local function settle()
  if not ARDOUR.LuaAPI.wait_for_process_callback(2, 10000) then error("the engine ran no cycle") end
end

local function find_plugin()
  local type = ARDOUR.PluginType[env("TARN_TYPE")]
  for info in ARDOUR.LuaAPI.list_plugins():iter() do
    if info.name == env("TARN_PLUGIN") and info.type == type then return info end
  end
  error("Ardour lists no " .. env("TARN_TYPE") .. " plug-in " .. env("TARN_PLUGIN"))
end

-- The plug-in insert of the checks' one route.
local function insert()
  for route in session:get_routes():iter() do
    local processor = route:nth_plugin(0)
    if not processor:isnil() then return processor:to_insert() end
  end
  error("no route with a plug-in")
end

local function set_parameters(pi)
  local plugin = pi:plugin(0)
  for _, setting in ipairs(split(os.getenv("TARN_PARAMETERS") or "")) do
    local label, value = string.match(setting, "^(.-)=(.*)$")
    local found = false
    for i = 0, plugin:parameter_count() - 1 do
      local ok = true
      local port = plugin:nth_parameter(i, ok)
      if plugin:parameter_is_input(port) and plugin:parameter_label(port) == label then
        found = ARDOUR.LuaAPI.set_processor_param(pi, i, tonumber(value))
      end
    end
    if not found then error("no parameter " .. label) end
  end
end

-- The session saved, and a copy of its file kept under another name (Ardour's Lua takes no
-- snapshot name).
local function save_as(copy)
  session:save_state("", false, false, false, false, false)
  local file = folder .. "/" .. name .. ".ardour"
  local from = assert(io.open(file, "rb"))
  local to = assert(io.open(folder .. "/" .. copy .. ".ardour", "wb"))
  to:write(from:read("a"))
  from:close()
  to:close()
end

local function load_preset(pi, label)
  local preset = pi:plugin(0):preset_by_label(label)
  if preset == nil then error("Ardour lists no preset " .. label) end
  if not pi:plugin(0):load_preset(preset) then error("the preset " .. label .. " did not load") end
end

local command = env("TARN_COMMAND")
if command == "list" then
  for info in ARDOUR.LuaAPI.list_plugins():iter() do
    if string.find(info.name, "Tarn") then
      local type = info.type == ARDOUR.PluginType.LV2 and "LV2" or info.type == ARDOUR.PluginType.VST3 and "VST3" or "other"
      print(string.format("> plugin %s %s, %s, %s, midi in %d, audio in %d, audio out %d, %s", type, info.name, info.category,
        info.creator, info.n_inputs:n_midi(), info.n_inputs:n_audio(), info.n_outputs:n_audio(),
        info:is_instrument() and "instrument" or "effect"))
    end
  end
elseif command == "build" then
  local info = find_plugin()
  local audio = ARDOUR.DataType("audio")
  if env("TARN_ROLE") == "instrument" then
    session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1), ARDOUR.ChanCount(audio, 1), true, info, nil,
      nil, 1, "notes", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
  else
    local bus = session:new_audio_route(1, 1, nil, 1, "wave", ARDOUR.PresentationInfo.Flag.AudioBus,
      ARDOUR.PresentationInfo.max_order):front()
    local plugin = ARDOUR.LuaAPI.new_plugin(session, info.unique_id, info.type, "")
    if plugin:isnil() then error("Ardour made no " .. info.name) end
    bus:add_processor_by_index(plugin, 0, nil, true)
  end
  local pi = insert()
  if (os.getenv("TARN_PRESET") or "") ~= "" then load_preset(pi, os.getenv("TARN_PRESET")) end
  set_parameters(pi)
  settle()
  session:save_state("", false, false, false, false, false)
  print("> built " .. info.name)
elseif command == "presets" then
  local pi = insert()
  local limit = tonumber(env("TARN_SECONDS")) * 1e6
  for index, label in ipairs(split(env("TARN_PRESETS"))) do
    local start = ARDOUR.LuaAPI.monotonic_time()
    load_preset(pi, label)
    settle()
    local took = ARDOUR.LuaAPI.monotonic_time() - start
    if took > limit then error(string.format("the preset %s took %.1f s", label, took / 1e6)) end
    save_as(string.format("preset-%02d", index))
    print(string.format("> preset %02d %s", index, label))
  end
elseif command == "resave" then
  settle()
  session:save_state("", false, false, false, false, false)
  print("> saved")
else
  error("unknown command " .. command)
end
close_session()
