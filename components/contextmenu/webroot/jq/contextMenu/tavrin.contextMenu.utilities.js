/* Context menu helpers: find an item of a menu by its key at any depth,
   change one item, set an item's icon, and read the values of the menu's
   input items for a server callback. */
(function ($) {
  'use strict';

  // The root options of the menu whose list element the selector names.
  function menuRoot(listSelector) {
    var $list = $(listSelector).first();
    return $list.length ? ($list.data('contextMenuRoot') || $list.data('contextMenu')) : null;
  }

  // The item of that key in the items of a level or any level below it.
  function findItem(items, key) {
    if (!items) return null;
    if (Object.prototype.hasOwnProperty.call(items, key)) return items[key];
    for (var k in items) {
      if (Object.prototype.hasOwnProperty.call(items, k) && items[k] && items[k].items) {
        var found = findItem(items[k].items, key);
        if (found) return found;
      }
    }
    return null;
  }

  // The <li> of an item: by its key, or by its index among the top level.
  function itemNode(listSelector, where) {
    var $list = $(listSelector).first();
    if (!$list.length) return $();
    if (typeof where === 'number') return $list.children('li.context-menu-item').eq(where);
    var root = menuRoot(listSelector), item = root ? findItem(root.items, where) : null;
    return item && item.$node ? item.$node : $();
  }

  // Shows, hides, enables or disables one item ("visible" / "disabled").
  window.ZQCMSetItem = function (listSelector, key, what, value) {
    var root = menuRoot(listSelector), item = root ? findItem(root.items, key) : null;
    if (!item) return;
    var $li = item.$node || $();
    if (what === 'visible') {
      item.visible = !!value;
      $li.toggleClass('ui-helper-hidden', !value);
    } else if (what === 'disabled') {
      item.disabled = !!value;
      $li.toggleClass((root.classNames && root.classNames.disabled) || 'context-menu-disabled', !!value);
      $li.find('input, select, textarea').prop('disabled', !!value);
    }
  };

  // ZQAddCMCustomIcon(list, where, iconName) sets a jQuery UI icon;
  // ZQAddCMCustomIcon(list, where, url, true, width, height) sets a picture.
  window.ZQAddCMCustomIcon = function (listSelector, where, icon, isPicture, width, height) {
    var $li = itemNode(listSelector, where);
    if (!$li.length) return;
    $li.children('.zq-cm-icon').remove();
    var $icon = $('<span class="zq-cm-icon"></span>');
    if (isPicture) {
      $icon.css({ 'background-image': 'url("' + String(icon).replace(/["\\\n\r]/g, '') + '")',
        'background-size': width + 'px ' + height + 'px', width: width + 'px', height: height + 'px' });
    } else {
      $icon.addClass('ui-icon').addClass(String(icon));
    }
    $li.addClass('zq-cm-has-icon').prepend($icon);
  };

  // The values of every input item of the menu, by item key, as JSON text.
  window.ZQCMInputValues = function (opt) {
    var values = {}, root = opt ? (opt.$menu && opt.$menu.data('contextMenuRoot')) || opt : null;
    function collect(items) {
      if (!items) return;
      $.each(items, function (key, item) {
        if (!item || typeof item !== 'object') return;
        if (item.$input && item.$input.length) {
          switch (item.type) {
            case 'checkbox': values[key] = item.$input.is(':checked'); break;
            case 'radio': if (item.$input.is(':checked')) values[item.radio || key] = item.$input.val(); break;
            default: values[key] = item.$input.val();
          }
        }
        if (item.items) collect(item.items);
      });
    }
    collect(root && root.items);
    return JSON.stringify(values);
  };
})(window.ZQJQuery || window.jQuery);
