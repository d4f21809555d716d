/* The library's additions to the jQuery contextMenu plug-in: the "zqcustom"
   item type, which shows a control of the page inside an item
   ("zqcustomId": the control's selector), and the "uiTheme" option, which
   gives the menu and its sub-menus the jQuery UI widget classes. */
(function ($) {
  'use strict';
  if (!$.contextMenu || $.contextMenu.zqExtended) return;

  $('<style>.context-menu-list .ui-helper-hidden{display:none !important}' +
    '.context-menu-item.zq-cm-has-icon{padding-left:2em}' +
    '.context-menu-item .zq-cm-icon{position:absolute;left:.5em;top:50%;margin-top:-8px;background-repeat:no-repeat}' +
    '.context-menu-item.context-menu-zqcustom{padding:.25em .5em}</style>').appendTo('head');

  $.contextMenu.types.zqcustom = function (item) {
    var $control = item.zqcustomId ? $(item.zqcustomId) : $();
    this.addClass('context-menu-zqcustom context-menu-not-selectable');
    if ($control.length) $control.css({ position: 'static', left: '', top: '' }).show().appendTo(this);
  };

  var themeClasses = 'ui-widget ui-widget-content ui-corner-all';
  function applyTheme(opt) {
    if (opt && opt.$menu) opt.$menu.addClass(themeClasses).find('ul.context-menu-list').addClass(themeClasses);
  }
  // Wraps the options' show event (and the options a build function returns).
  function prepare(o) {
    if (!o || typeof o !== 'object') return o;
    if (typeof o.build === 'function' && !o.build.zqWrapped) {
      var build = o.build, uiTheme = o.uiTheme;
      o.build = function () {
        var r = build.apply(this, arguments);
        if (r && typeof r === 'object') {
          if (uiTheme && r.uiTheme === undefined) r.uiTheme = uiTheme;
          prepare(r);
        }
        return r;
      };
      o.build.zqWrapped = true;
    }
    if (o.uiTheme) {
      o.events = $.extend({}, o.events);
      var show = o.events.show;
      o.events.show = function (opt) {
        applyTheme(opt);
        return typeof show === 'function' ? show.apply(this, arguments) : undefined;
      };
    }
    return o;
  }

  var base = $.contextMenu;
  var extended = function (operation, options) {
    if (typeof operation === 'object') prepare(operation);
    else if (typeof options === 'object') prepare(options);
    return base.apply(this, arguments);
  };
  $.extend(extended, base);
  extended.zqExtended = true;
  $.contextMenu = extended;
})(window.ZQJQuery || window.jQuery);
